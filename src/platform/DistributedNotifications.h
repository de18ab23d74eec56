#pragma once

// Notifications broadcast to every process of the user, the sender included.
// Observers are called on the main thread, on a later turn of the run loop.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

using ObserverId = std::uint64_t;

class DistributedNotificationCenter {
public:
    using Handler =
        std::function<void(const std::string& name, const std::optional<std::string>& object)>;

    virtual ~DistributedNotificationCenter() = default;

    virtual void post(const std::string& name, const std::optional<std::string>& object,
                      bool deliverImmediately) = 0;

    // Observes `name` from any sender. Ids are never reused.
    virtual ObserverId addObserver(const std::string& name, Handler handler) = 0;
    virtual void removeObserver(ObserverId observer) = 0;
};

}  // namespace platform
