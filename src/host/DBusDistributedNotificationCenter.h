#pragma once

// Distributed notifications as a broadcast signal on the session bus:
// Posted(s name, s object) on interface app.tarnwick.DistributedNotifications
// at /app/tarnwick/DistributedNotifications, the empty object text meaning
// none. The bus hands a broadcast to every connection whose match rule fits,
// the sender's own included, so a process sees its own posts.

#include <map>
#include <optional>
#include <string>

#include "platform/DistributedNotifications.h"

// GIO's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;

namespace host {

class DBusDistributedNotificationCenter : public platform::DistributedNotificationCenter {
public:
    static constexpr const char* interfaceName = "app.tarnwick.DistributedNotifications";
    static constexpr const char* objectPath = "/app/tarnwick/DistributedNotifications";
    static constexpr const char* signalName = "Posted";

    // Connects to the session bus. Without one, posts go nowhere and
    // observers are never called; connected() tells.
    DBusDistributedNotificationCenter();
    ~DBusDistributedNotificationCenter() override;
    DBusDistributedNotificationCenter(const DBusDistributedNotificationCenter&) = delete;
    DBusDistributedNotificationCenter& operator=(const DBusDistributedNotificationCenter&) = delete;

    void post(const std::string& name, const std::optional<std::string>& object,
              bool deliverImmediately) override;
    platform::ObserverId addObserver(const std::string& name, Handler handler) override;
    void removeObserver(platform::ObserverId observer) override;

    bool connected() const { return connection_ != nullptr; }

private:
    GDBusConnection* connection_ = nullptr;
    std::map<platform::ObserverId, unsigned> subscriptions_;
    platform::ObserverId nextObserver_ = 1;
};

}  // namespace host
