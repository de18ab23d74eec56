#pragma once

// The status area of Linux panels: each item is a StatusNotifierItem on the
// session bus (host/tray/StatusNotifierItem.h), its menu a
// com.canonical.dbusmenu object (host/tray/DBusMenuServer.h), which is what
// panels show and open. The bar keeps the items by id, turns the program's
// icons and menus into theirs, and hands what panels do back to the
// program's callbacks. Everything runs on the GLib main loop.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "host/tray/DBusMenuServer.h"
#include "host/tray/StatusNotifierItem.h"
#include "platform/StatusBar.h"

// GLib's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;

namespace host {

class StatusNotifierBar : public platform::StatusBar {
public:
    static constexpr const char* itemInterface = StatusNotifierItem::interfaceName;
    static constexpr const char* menuInterface = DBusMenuServer::interfaceName;
    static constexpr const char* watcherName = StatusNotifierItem::watcherName;
    static constexpr const char* watcherPath = StatusNotifierItem::watcherPath;

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
    struct Pending;  // work queued for the main loop

    Item* find(platform::StatusItemId item) const;
    void queue(std::function<void()> work);
    void menuWillOpen(platform::StatusItemId item, int menuId);
    void deliverClick(platform::StatusItemId item, int entryId);
    void deliverMenuRequest(platform::StatusItemId item, int x, int y);

    GDBusConnection* connection_ = nullptr;
    std::map<platform::StatusItemId, std::unique_ptr<Item>> items_;
    platform::StatusItemId nextItem_ = 1;
    std::set<unsigned> pending_;  // idle sources of queued work
    bool dark_ = false;
};

}  // namespace host
