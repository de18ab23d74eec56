#pragma once

// What a desktop panel sees of a program's status item on the session bus:
// the StatusNotifierItem's tooltip and icon, and its com.canonical.dbusmenu
// menu, which it reads and clicks.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// GLib's connection type, so that users need not include GIO.
struct _GDBusConnection;

namespace support {

class StatusPanel {
public:
    struct Entry {
        int id = 0;
        std::string label;
        bool separator = false;
        int toggleState = 0;  // 1 on, 0 off, -1 mixed
        std::string toolTip;
        std::vector<std::string> shortcut;
    };
    struct Pixmap {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> argb;  // network byte order, as sent
        bool operator==(const Pixmap&) const = default;
    };

    // The first status item of process `pid`, on the session bus or the bus
    // at `busAddress`.
    explicit StatusPanel(pid_t pid, const std::string& busAddress = {});
    ~StatusPanel();
    StatusPanel(const StatusPanel&) = delete;
    StatusPanel& operator=(const StatusPanel&) = delete;

    // False without a session bus.
    bool connected() const { return connection_ != nullptr; }
    // Waits until the item's name is on the bus; the program takes it on its
    // own loop, a moment after it starts.
    bool waitForItem(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    std::string toolTip();
    std::vector<Pixmap> icon();
    // The menu's top-level entries, as the panel gets them now.
    std::vector<Entry> entries();
    std::optional<Entry> entry(const std::string& label);
    // What a click on the entry sends.
    void click(int id);
    bool click(const std::string& label);

    // LayoutUpdated signals heard so far; they arrive while waitUntil runs.
    int layoutUpdates() const { return layoutUpdates_; }
    // Runs this thread's main context until `condition` holds or time is up.
    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    _GDBusConnection* connection_ = nullptr;
    std::string busName_;
    unsigned subscription_ = 0;
    int layoutUpdates_ = 0;
};

}  // namespace support
