#include "host/DBusDistributedNotificationCenter.h"

#include <gio/gio.h>

namespace host {
namespace {

struct Observer {
    std::string name;
    platform::DistributedNotificationCenter::Handler handler;
};

void onPosted(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
              GVariant* parameters, gpointer data) {
    // Anyone on the bus can emit this signal; a body of another shape is noise.
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ss)"))) return;
    const gchar* name = nullptr;
    const gchar* object = nullptr;
    g_variant_get(parameters, "(&s&s)", &name, &object);
    auto* observer = static_cast<Observer*>(data);
    if (observer->name != name) return;
    std::optional<std::string> objectText;
    if (*object) objectText = object;
    auto handler = observer->handler;
    handler(observer->name, objectText);
}

// GDBus writes arg0 into the match rule without escaping; a quote or
// backslash would break the rule, so such names are filtered here alone.
bool usableInMatchRule(const std::string& name) {
    return name.find_first_of("'\\,") == std::string::npos;
}

}  // namespace

DBusDistributedNotificationCenter::DBusDistributedNotificationCenter()
    : connection_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {}

DBusDistributedNotificationCenter::~DBusDistributedNotificationCenter() {
    if (!connection_) return;
    for (auto& [id, subscription] : subscriptions_) {
        g_dbus_connection_signal_unsubscribe(connection_, subscription);
    }
    g_object_unref(connection_);
}

// Every post is flushed, deliverImmediately or not: GDBus would send it a
// moment later anyway, and a program that posts and then ends (the quit
// request) must not lose it.
void DBusDistributedNotificationCenter::post(const std::string& name,
                                             const std::optional<std::string>& object, bool) {
    if (!connection_) return;
    auto objectText = object.value_or("");
    if (!g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr) ||
        !g_utf8_validate(objectText.data(), static_cast<gssize>(objectText.size()), nullptr)) {
        return;
    }
    g_dbus_connection_emit_signal(connection_, nullptr, objectPath, interfaceName, signalName,
                                  g_variant_new("(ss)", name.c_str(), objectText.c_str()), nullptr);
    g_dbus_connection_flush_sync(connection_, nullptr, nullptr);
}

platform::ObserverId DBusDistributedNotificationCenter::addObserver(const std::string& name,
                                                                    Handler handler) {
    auto id = nextObserver_++;
    if (!connection_) return id;
    auto subscription = g_dbus_connection_signal_subscribe(
        connection_, nullptr, interfaceName, signalName, objectPath,
        usableInMatchRule(name) ? name.c_str() : nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onPosted,
        new Observer{name, std::move(handler)},
        [](gpointer data) { delete static_cast<Observer*>(data); });
    subscriptions_.emplace(id, subscription);
    return id;
}

void DBusDistributedNotificationCenter::removeObserver(platform::ObserverId observer) {
    auto found = subscriptions_.find(observer);
    if (found == subscriptions_.end()) return;
    // GDBus checks the subscription before each delivery, so a signal already
    // queued for this observer is dropped.
    g_dbus_connection_signal_unsubscribe(connection_, found->second);
    subscriptions_.erase(found);
}

}  // namespace host
