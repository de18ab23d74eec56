#pragma once

// Notifications within this process, delivered at once to every observer of
// the name, in the order they were added.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace kit {

class NotificationCenter {
public:
    using ObserverId = std::uint64_t;
    static NotificationCenter& defaultCenter();

    ObserverId addObserver(const std::string& name, std::function<void()> handler);
    void removeObserver(ObserverId observer) { observers_.erase(observer); }
    void post(const std::string& name);

private:
    std::map<ObserverId, std::pair<std::string, std::function<void()>>> observers_;
    ObserverId nextObserver_ = 1;
};

}  // namespace kit
