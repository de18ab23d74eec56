#pragma once

// One org.kde.StatusNotifierItem on the session bus: the object panels read
// the icon, label, tooltip and menu path from, the bus name it owns, and its
// registration with the StatusNotifierWatcher, made again whenever a watcher
// starts. Runs on the GLib main loop.
//
// How the item presents itself:
// - Title stays the application's name, because panels list and configure
//   items by it. The short text (the arrow shown when there is no icon) is
//   the XAyatanaLabel, which panels draw in the bar.
// - The tooltip is the ToolTip's title; its icon and description stay empty.
// - ItemIsMenu: most panels open the exported menu themselves. One that calls
//   Activate or ContextMenu instead asks for that menu where it clicked.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/tray/BusObject.h"
#include "host/tray/IconPixmaps.h"

// GLib's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusMethodInvocation GDBusMethodInvocation;

namespace host {

// Where panels find an item: the bus name it owns
// ("org.kde.StatusNotifierItem-<pid>-<n>") and the paths of its item and
// menu objects. Every item in the process shares the one session
// connection, so the paths are handed out process-wide, as are the numbers
// in the bus names; a path is free again once its address is gone.
class StatusItemAddress {
public:
    StatusItemAddress();
    ~StatusItemAddress();
    StatusItemAddress(const StatusItemAddress&) = delete;
    StatusItemAddress& operator=(const StatusItemAddress&) = delete;

    const std::string& busName() const { return busName_; }
    const std::string& itemPath() const { return itemPath_; }
    const std::string& menuPath() const { return menuPath_; }
    // What the item registers with the watcher as.
    const std::string& service() const;

private:
    int pathSlot_;
    std::string busName_;
    std::string itemPath_;
    std::string menuPath_;
};

class StatusNotifierItem {
public:
    static constexpr const char* interfaceName = "org.kde.StatusNotifierItem";
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
    static constexpr const char* watcherPath = "/StatusNotifierWatcher";

    struct Handlers {
        // The panel wants the menu shown at this point of the screen; it has
        // its answer already.
        std::function<void(int x, int y)> menuRequested;
    };

    // On the bus at once, then takes the address's name and looks out for a
    // watcher. The address must outlive the item.
    StatusNotifierItem(GDBusConnection* connection, const StatusItemAddress& address,
                       Handlers handlers);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // Each signals a change to panels, and does nothing for the same value.
    void setIcon(std::vector<IconPixmap> icon);
    void setLabel(const std::string& label);
    void setToolTip(const std::string& toolTip);

    // A property of the item; null for one it does not have.
    GVariant* property(std::string_view name) const;

private:
    using Route = WeakRoute<StatusNotifierItem>;

    static const GDBusInterfaceVTable vtable;
    static void callMethod(GDBusConnection*, const char*, const char*, const char*,
                           const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer data);
    static void nameAcquired(GDBusConnection*, const char*, gpointer data);
    static void nameLost(GDBusConnection*, const char*, gpointer data);
    static void watcherAppeared(GDBusConnection*, const char*, const char*, gpointer data);
    static void watcherVanished(GDBusConnection*, const char*, gpointer data);
    static void updateRegistration(gpointer data, bool StatusNotifierItem::*condition, bool holds);
    void registerWithWatcher() const;

    const StatusItemAddress& address_;
    Handlers handlers_;
    std::vector<IconPixmap> icon_;
    std::string label_;
    std::string toolTip_;
    bool ownsName_ = false;
    bool watcherRuns_ = false;
    std::shared_ptr<StatusNotifierItem*> alive_ = std::make_shared<StatusNotifierItem*>(this);
    BusObject object_;
    unsigned nameOwner_ = 0;
    unsigned watcherWatch_ = 0;
};

}  // namespace host
