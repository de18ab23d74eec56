#pragma once

// In-memory stand-ins for the desktop's services. Each keeps what it was told
// so a test can read the story back.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeRunLoop.h"
#include "platform/Activation.h"
#include "platform/DistributedNotifications.h"
#include "platform/KeyboardLayout.h"
#include "platform/Log.h"
#include "platform/LoginItems.h"
#include "platform/PreferenceDomains.h"
#include "platform/ProcessInfo.h"
#include "platform/Workspace.h"

namespace fakes {

struct LogLine {
    platform::LogLevel level;
    std::string subsystem;
    std::string category;
    std::string message;
};

class FakeLog : public platform::Log {
public:
    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override {
        lines.push_back({level, std::string(subsystem), std::string(category), std::string(message)});
    }
    std::vector<std::string> messages() const;
    // How many lines have exactly this text.
    std::size_t count(std::string_view message) const;
    std::vector<LogLine> lines;
};

// Keeps durable values apart from changes that were set but not synchronised.
class FakePreferenceDomains : public platform::PreferenceDomains {
public:
    std::optional<platform::PropertyValue> copyValue(const std::string& domain,
                                                     const std::string& key) override;
    void setValue(const std::string& domain, const std::string& key,
                  std::optional<platform::PropertyValue> value) override;
    bool synchronize(const std::string& domain) override;

    // What durable storage holds.
    std::optional<platform::PropertyValue> stored(const std::string& domain,
                                                  const std::string& key) const;
    void store(const std::string& domain, const std::string& key, platform::PropertyValue value);
    const platform::PropertyDictionary& domain(const std::string& name) { return durable_[name]; }

    std::set<std::string> failingDomains;  // synchronize answers false for these
    int synchronizeCount = 0;

private:
    std::map<std::string, platform::PropertyDictionary> durable_;
    std::map<std::string, std::map<std::string, std::optional<platform::PropertyValue>>> pending_;
};

struct PostedNotification {
    std::string name;
    std::optional<std::string> object;
    bool deliverImmediately;
};

// Delivers on a later turn of the run loop, as the real bus does.
class FakeDistributedNotificationCenter : public platform::DistributedNotificationCenter {
public:
    explicit FakeDistributedNotificationCenter(FakeRunLoop& runLoop) : runLoop_(runLoop) {}
    void post(const std::string& name, const std::optional<std::string>& object,
              bool deliverImmediately) override;
    platform::ObserverId addObserver(const std::string& name, Handler handler) override;
    void removeObserver(platform::ObserverId observer) override { observers_.erase(observer); }

    // A notification posted by another process.
    void receive(const std::string& name, const std::optional<std::string>& object = {});
    std::size_t postedCount(const std::string& name) const;
    std::vector<PostedNotification> posted;

private:
    FakeRunLoop& runLoop_;
    std::map<platform::ObserverId, std::pair<std::string, Handler>> observers_;
    platform::ObserverId nextObserver_ = 1;
};

class FakeWorkspace : public platform::Workspace {
public:
    explicit FakeWorkspace(FakeRunLoop& runLoop) : runLoop_(runLoop) {}
    std::optional<platform::RunningApplication> frontmostApplication() override { return front; }
    std::vector<platform::RunningApplication> runningApplications() override { return running; }
    platform::RunningApplication currentApplication() override { return current; }
    // The copies of a bundle among `running`, this process's own included
    // when `current` has that identifier.
    std::vector<platform::RunningApplication> runningApplications(const std::string& bundleIdentifier) override;
    bool isTerminated(int processIdentifier) override { return terminated.contains(processIdentifier); }
    std::optional<std::string> applicationPath(const std::string& bundleIdentifier) override;
    std::optional<std::string> applicationIconFile(const std::string& applicationPath) override;
    std::optional<std::string> bundleIdentifier(const std::string& path) override;
    std::vector<std::string> applicationExtensions() override { return extensions; }
    std::vector<std::string> applicationFolders() override { return folders; }
    std::string displayName(const std::string& path) override;
    bool openURL(const std::string& url) override;
    platform::ObserverId observeActivations(ActivationHandler handler) override;
    void removeActivationObserver(platform::ObserverId observer) override {
        observers_.erase(observer);
    }

    // Brings an application to the front and tells the observers.
    void activate(const platform::RunningApplication& application);

    std::optional<platform::RunningApplication> front;
    std::vector<platform::RunningApplication> running;
    platform::RunningApplication current = currentDefault();
    std::set<int> terminated;
    std::map<std::string, std::string> installed;  // bundle identifier -> path
    std::map<std::string, std::string> displayNames;  // path -> name; else the last component
    std::map<std::string, std::string> iconFiles;  // application path -> PNG file
    int iconLookups = 0;
    std::map<std::string, std::string> bundles;    // bundle or entry path -> its identifier
    std::vector<std::string> extensions{"app"};
    std::vector<std::string> folders{"/Applications"};
    std::vector<std::string> openedURLs;
    bool openSucceeds = true;

private:
    static platform::RunningApplication currentDefault() {
        platform::RunningApplication application;
        application.processIdentifier = 4242;
        application.bundleIdentifier = "app.tarnwick.Tarnwick";
        application.localizedName = "Tarnwick";
        application.activationPolicy = platform::ActivationPolicy::accessory;
        return application;
    }

    FakeRunLoop& runLoop_;
    std::map<platform::ObserverId, ActivationHandler> observers_;
    platform::ObserverId nextObserver_ = 1;
};

class FakeLoginItems : public platform::LoginItems {
public:
    platform::LoginItemStatus status() override { return currentStatus; }
    std::optional<platform::LoginItemError> registerItem() override;
    std::optional<platform::LoginItemError> unregisterItem() override;
    void openSystemSettingsLoginItems() override { ++settingsOpened; }

    platform::LoginItemStatus currentStatus = platform::LoginItemStatus::notRegistered;
    std::optional<platform::LoginItemError> nextError;  // the next change fails with this
    int settingsOpened = 0;
};

// A layout given as a table of key code to typed text.
class FakeKeyboardLayout : public platform::KeyboardLayout {
public:
    std::optional<std::string> characters(std::uint16_t keyCode) override;
    // The US layout's printable keys plus Return, Tab, Space, Delete, Escape.
    void useUS();
    void useNone() { keys.clear(); available = false; }
    void setChangeHandler(ChangeHandler handler) override { changeHandler = std::move(handler); }
    // What the desktop does after a switch; change `keys` first.
    void announceChange() {
        if (changeHandler) changeHandler();
    }
    std::map<std::uint16_t, std::string> keys;
    bool available = true;
    ChangeHandler changeHandler;
};

class FakeProcessInfo : public platform::ProcessInfo {
public:
    FakeProcessInfo();
    int processIdentifier() const override { return pid; }
    std::optional<std::string> environment(const std::string& name) const override;
    std::string operatingSystemVersionString() const override { return versionString; }
    int operatingSystemMajorVersion() const override { return majorVersion; }
    const platform::BundleInfo& mainBundle() const override { return bundle; }
    void disableSuddenTermination() override { ++suddenTerminationDisabled; }
    void enableSuddenTermination() override { --suddenTerminationDisabled; }

    int pid = 4242;
    std::map<std::string, std::string> environmentValues;
    std::string versionString = "Version 26.0 (Build 25A100)";
    int majorVersion = 26;
    platform::BundleInfo bundle;
    int suddenTerminationDisabled = 0;
};

class FakeActivation : public platform::Activation {
public:
    void setPolicy(platform::ActivationPolicy newPolicy) override { currentPolicy = newPolicy; }
    platform::ActivationPolicy policy() const override { return currentPolicy; }
    void activate(bool ignoringOtherApps) override {
        active = true;
        activatedIgnoringOthers = ignoringOtherApps;
        ++activations;
    }
    bool isActive() const override { return active; }

    platform::ActivationPolicy currentPolicy = platform::ActivationPolicy::regular;
    bool active = false;
    bool activatedIgnoringOthers = false;
    int activations = 0;
};

}  // namespace fakes
