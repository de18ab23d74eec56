#pragma once

// The desktop's applications, as far as the host knows them yet: opening
// addresses works; the front application, the running applications and
// activation news come with the X11 (EWMH) work for the per-application
// rules. Until then there is no front application, nothing runs, nothing is
// installed, and observers are kept but never told.

#include <map>

#include "platform/Workspace.h"

namespace host {

class HostWorkspace : public platform::Workspace {
public:
    std::optional<platform::RunningApplication> frontmostApplication() override {
        return std::nullopt;
    }
    std::vector<platform::RunningApplication> runningApplications() override { return {}; }
    platform::RunningApplication currentApplication() override { return {}; }
    std::vector<platform::RunningApplication> runningApplications(const std::string&) override { return {}; }
    bool isTerminated(int) override { return true; }
    std::optional<std::string> applicationPath(const std::string&) override { return std::nullopt; }
    // GIO's display name of the file, else the last path component.
    std::string displayName(const std::string& path) override;

    // GIO's default handler for the address's scheme; false when none starts.
    bool openURL(const std::string& url) override;

    platform::ObserverId observeActivations(ActivationHandler handler) override;
    void removeActivationObserver(platform::ObserverId observer) override {
        observers_.erase(observer);
    }

private:
    std::map<platform::ObserverId, ActivationHandler> observers_;
    platform::ObserverId nextObserver_ = 1;
};

}  // namespace host
