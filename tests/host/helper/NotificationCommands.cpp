// Distributed-notification scenarios for the host tests.

#include <gio/gio.h>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/DBusDistributedNotificationCenter.h"
#include "host/GLibRunLoop.h"

namespace {

// The bus handles one connection's messages in order, so once a call comes
// back, the match rules sent before it are in force.
void waitUntilBusHasSubscriptions() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus) return;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping",
        nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
    g_object_unref(bus);
}

// listen NAME SECONDS: prints "ready" once observing, then one line
// "NAME[ OBJECT]" per notification received within SECONDS.
helper::HelperCommand listenCommand("listen", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) return 2;
    host::GLibRunLoop runLoop;
    host::DBusDistributedNotificationCenter center;
    if (!center.connected()) return 1;
    center.addObserver(
        arguments[0], [](const std::string& name, const std::optional<std::string>& object) {
            std::printf("%s%s%s\n", name.c_str(), object ? " " : "", object.value_or("").c_str());
            std::fflush(stdout);
        });
    waitUntilBusHasSubscriptions();
    std::printf("ready\n");
    std::fflush(stdout);
    runLoop.runUntil(runLoop.now() + std::stod(arguments[1]));
    return 0;
});

// without-bus: what the center does when no session bus answers.
helper::HelperCommand withoutBusCommand("without-bus", [](const std::vector<std::string>&) {
    host::GLibRunLoop runLoop;
    host::DBusDistributedNotificationCenter center;
    int calls = 0;
    auto observer = center.addObserver("test.Name", [&](auto&, auto&) { ++calls; });
    center.post("test.Name", "object", true);
    runLoop.runUntil(runLoop.now() + 0.1);
    center.removeObserver(observer);
    std::printf("%s, %d calls\n", center.connected() ? "connected" : "not connected", calls);
    return 0;
});

}  // namespace
