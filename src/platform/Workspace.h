#pragma once

// The desktop's view of applications: which one is in front, which run, where
// an application is installed, and opening addresses with the user's default
// handler.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/DistributedNotifications.h"
#include "platform/PropertyValue.h"

namespace platform {

struct RunningApplication {
    int processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    // Where the application is installed: its bundle, or the desktop entry
    // that names it on desktops that have them.
    std::optional<std::string> bundlePath;
    std::optional<std::string> executablePath;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    std::optional<Date> launchDate;
    bool operator==(const RunningApplication&) const = default;
};

class Workspace {
public:
    using ActivationHandler = std::function<void(const RunningApplication&)>;

    virtual ~Workspace() = default;

    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // This process as a running application.
    virtual RunningApplication currentApplication() = 0;
    // Every running process of the user whose bundle has this identifier,
    // whether or not it has windows.
    virtual std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) = 0;
    // The process has ended (or is a zombie).
    virtual bool isTerminated(int processIdentifier) = 0;

    // Where the application with this bundle identifier is installed; absent
    // when no installed application has it.
    virtual std::optional<std::string> applicationPath(const std::string& bundleIdentifier) = 0;

    // A picture file (PNG, or SVG, XPM or ICNS) with the icon the desktop
    // shows for the application
    // installed at `applicationPath` (as answered by applicationPath);
    // absent when it has none the program can read.
    virtual std::optional<std::string> applicationIconFile(const std::string& applicationPath) = 0;
    // The identifier of the bundle at `path`, when `path` opens as a bundle
    // that has one; on desktops with desktop entries, also the id of the
    // entry at `path`.
    virtual std::optional<std::string> bundleIdentifier(const std::string& path) = 0;
    // The path extensions (without the dot) that mark an application on this
    // desktop, the bundle's "app" first.
    virtual std::vector<std::string> applicationExtensions() = 0;
    // The folders applications are installed in, where people look first
    // first; only those that exist.
    virtual std::vector<std::string> applicationFolders() = 0;

    // The name a file manager shows for the file or folder at `path`.
    virtual std::string displayName(const std::string& path) = 0;

    // Opens an address (https:, mailto:) with the user's default handler.
    virtual bool openURL(const std::string& url) = 0;

    // Told on the main thread, in order, whenever an application comes to
    // the front.
    virtual ObserverId observeActivations(ActivationHandler handler) = 0;
    virtual void removeActivationObserver(ObserverId observer) = 0;
};

}  // namespace platform
