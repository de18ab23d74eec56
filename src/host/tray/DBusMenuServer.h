#pragma once

// The com.canonical.dbusmenu object of one status item: the menu as panels
// fetch and draw it, a new revision with its change signals whenever the
// menu changes, and the events panels send back (clicks, openings). Runs on
// the GLib main loop.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "host/tray/BusObject.h"
#include "host/tray/DBusMenuLayout.h"
#include "platform/StatusBar.h"

// GLib's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusMethodInvocation GDBusMethodInvocation;

namespace host {

class DBusMenuServer {
public:
    static constexpr const char* interfaceName = "com.canonical.dbusmenu";

    struct Handlers {
        // Just before the menu, or the submenu with this id, opens. The callee
        // may set a new menu, which the panel then fetches, or end this object.
        std::function<void(int menuId)> menuWillOpen;
        // The panel chose an entry that can be chosen; it is still waiting
        // for its answer.
        std::function<void(int entryId)> entryClicked;
    };

    // On the bus at the path from the start, with an empty menu.
    DBusMenuServer(GDBusConnection* connection, std::string path, Handlers handlers);
    DBusMenuServer(const DBusMenuServer&) = delete;
    DBusMenuServer& operator=(const DBusMenuServer&) = delete;

    void setMenu(const platform::StatusMenuEntry& root);
    // Whether the menu has this entry and it can be chosen now.
    bool isClickable(int entryId) const;

    // A property of the menu object itself; null for one it does not have.
    GVariant* property(std::string_view name) const;

private:
    using Method = void (DBusMenuServer::*)(GVariant* parameters,
                                            GDBusMethodInvocation* invocation);

    static const GDBusInterfaceVTable vtable;
    static void callMethod(GDBusConnection*, const char*, const char*, const char*,
                           const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer data);
    void getLayout(GVariant* parameters, GDBusMethodInvocation* invocation);
    void getGroupProperties(GVariant* parameters, GDBusMethodInvocation* invocation);
    void getProperty(GVariant* parameters, GDBusMethodInvocation* invocation);
    void event(GVariant* parameters, GDBusMethodInvocation* invocation);
    void eventGroup(GVariant* parameters, GDBusMethodInvocation* invocation);
    void aboutToShow(GVariant* parameters, GDBusMethodInvocation* invocation);
    void aboutToShowGroup(GVariant* parameters, GDBusMethodInvocation* invocation);

    // Answers false for an entry the menu does not have.
    bool handleEvent(int entryId, std::string_view eventId);
    // Answers whether the menu changed, so the panel must fetch it again.
    bool announceOpening(int menuId);

    Handlers handlers_;
    Menu menu_ = flattenMenu({});
    unsigned revision_ = 1;
    std::set<int> announcedMenus_;  // AboutToShow came, "opened" not yet
    std::shared_ptr<DBusMenuServer*> alive_ = std::make_shared<DBusMenuServer*>(this);
    BusObject object_;  // last: on the bus only once the rest is in place
};

}  // namespace host
