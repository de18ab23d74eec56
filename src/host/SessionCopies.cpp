#include "host/SessionCopies.h"

#include <gio/gio.h>
#include <unistd.h>

namespace host {
namespace {

constexpr int callTimeoutMs = 1000;

// The boolean or unsigned reply of a call to the bus itself; absent when
// the call failed.
GVariant* callBus(GDBusConnection* bus, const char* method, GVariant* arguments,
                  const char* replyType) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, arguments,
                                       G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                       callTimeoutMs, nullptr, nullptr);
}

}  // namespace

std::string SessionCopies::busName(const std::string& bundleIdentifier, int processIdentifier) {
    std::string name = bundleIdentifier + ".Copy" + std::to_string(processIdentifier);
    return g_dbus_is_name(name.c_str()) && !g_dbus_is_unique_name(name.c_str()) ? name : "";
}

SessionCopies::SessionCopies(const std::string& bundleIdentifier)
    : bundleIdentifier_(bundleIdentifier) {
    std::string name = busName(bundleIdentifier, getpid());
    if (name.empty()) return;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus_) return;
    // Our pid's name can only be ours; waiting for the answer means any copy
    // that starts after this one finds it.
    GVariant* reply = callBus(bus_, "RequestName",
                              g_variant_new("(su)", name.c_str(), 0x4 /* do not queue */), "(u)");
    if (reply) g_variant_unref(reply);
}

SessionCopies::~SessionCopies() {
    if (bus_) g_object_unref(bus_);
}

bool SessionCopies::counts(const std::string& bundleIdentifier, int processIdentifier) const {
    if (!bus_ || bundleIdentifier != bundleIdentifier_) return true;
    std::string name = busName(bundleIdentifier, processIdentifier);
    GVariant* reply = callBus(bus_, "NameHasOwner", g_variant_new("(s)", name.c_str()), "(b)");
    // A bus that does not answer cannot tell; the copy counts, as before.
    if (!reply) return true;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

}  // namespace host
