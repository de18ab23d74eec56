#pragma once

// The status area of Linux panels: each item is a StatusNotifierItem on the
// session bus, its menu a com.canonical.dbusmenu object, which is what panels
// show and open. Everything runs on the GLib main loop.
//
// How the contract maps onto the item:
// - Title stays the application's name, because panels list and configure
//   items by it. The short text of setTitle (the arrow shown when there is no
//   icon) is the XAyatanaLabel, which panels draw in the bar.
// - The tooltip is the ToolTip's title; its icon and description stay empty.
// - Panels open the menu themselves (ItemIsMenu), so Activate and
//   ContextMenu have nothing to do.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "platform/StatusBar.h"

// GLib's own declarations, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GDBusNodeInfo GDBusNodeInfo;
typedef struct _GVariant GVariant;

namespace host {

class StatusNotifierBar : public platform::StatusBar {
public:
    static constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
    static constexpr const char* menuInterface = "com.canonical.dbusmenu";
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
    static constexpr const char* watcherPath = "/StatusNotifierWatcher";

    // Connects to the session bus. Without one, every call does nothing and
    // connected() says so.
    StatusNotifierBar();
    // On the given connection (a reference is taken); null means no bus.
    explicit StatusNotifierBar(GDBusConnection* connection);
    ~StatusNotifierBar() override;
    StatusNotifierBar(const StatusNotifierBar&) = delete;
    StatusNotifierBar& operator=(const StatusNotifierBar&) = delete;

    platform::StatusItemId addItem(Callbacks callbacks) override;
    void removeItem(platform::StatusItemId item) override;
    void setIcon(platform::StatusItemId item, std::vector<platform::PixelImage> images) override;
    void setTitle(platform::StatusItemId item, const std::string& title) override;
    void setToolTip(platform::StatusItemId item, const std::string& toolTip) override;
    void setMenu(platform::StatusItemId item, const platform::StatusMenuEntry& root) override;
    bool isDark() const override { return dark_; }
    // What the status area looks like now; each item hears of a change.
    void setDark(bool dark);

    bool connected() const { return connection_ != nullptr; }
    // Where panels find an item: the bus name it owns
    // ("org.kde.StatusNotifierItem-<pid>-<n>") and its object paths. Empty
    // for an unknown item.
    std::string busName(platform::StatusItemId item) const;
    std::string itemPath(platform::StatusItemId item) const;
    std::string menuPath(platform::StatusItemId item) const;

private:
    struct Item;
    struct Bus;  // the GDBus callbacks

    Item* find(platform::StatusItemId item) const;
    void publish(Item& item);
    void withdraw(Item& item);
    void registerWithWatcher(const Item& item);
    void emitItemSignal(const Item& item, const char* name, GVariant* parameters);
    void emitMenuSignal(const Item& item, const char* name, GVariant* parameters);

    // Answers false for an entry the menu does not have.
    bool menuEvent(platform::StatusItemId item, int entryId, std::string_view eventId);
    // Answers whether the menu changed, so the panel must fetch it again.
    bool menuAboutToShow(platform::StatusItemId item, int menuId);
    void menuWillOpen(platform::StatusItemId item, int menuId);
    void queue(std::function<void()> work);
    void deliverClick(platform::StatusItemId item, int entryId);
    void deliverMenuRequest(platform::StatusItemId item, int x, int y);

    GDBusConnection* connection_ = nullptr;
    GDBusNodeInfo* interfaces_ = nullptr;
    std::map<platform::StatusItemId, std::unique_ptr<Item>> items_;
    platform::StatusItemId nextItem_ = 1;
    std::set<unsigned> pending_;  // idle sources of queued work
    bool dark_ = false;
};

}  // namespace host
