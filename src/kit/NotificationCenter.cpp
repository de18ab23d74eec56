#include "kit/NotificationCenter.h"

#include <vector>

namespace kit {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverId NotificationCenter::addObserver(const std::string& name,
                                                               std::function<void()> handler) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::make_pair(name, std::move(handler)));
    return id;
}

void NotificationCenter::post(const std::string& name) {
    // An observer may remove itself or others while being told.
    std::vector<ObserverId> ids;
    for (const auto& [id, observer] : observers_) {
        if (observer.first == name) ids.push_back(id);
    }
    for (auto id : ids) {
        auto found = observers_.find(id);
        if (found != observers_.end()) found->second.second();
    }
}

}  // namespace kit
