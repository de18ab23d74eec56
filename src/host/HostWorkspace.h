#pragma once

// The desktop's applications on Linux. An application is a process: its
// identity comes from the bundle around its executable, else from the desktop
// entry that matches its window or command (see ApplicationIdentity.h). The
// front application and activation news come from the EWMH window manager
// over the shared X connection, once one is attached; without a display
// nothing is in front and observers are kept but never told.

#include <map>
#include <memory>

#include "host/ProcessTable.h"
#include "platform/Workspace.h"

namespace host {

class SessionCopies;
class X11ActiveWindow;
class X11Connection;

class HostWorkspace : public platform::Workspace {
public:
    HostWorkspace();
    explicit HostWorkspace(X11Connection& display);
    ~HostWorkspace() override;
    HostWorkspace(const HostWorkspace&) = delete;
    HostWorkspace& operator=(const HostWorkspace&) = delete;

    // Starts following the window manager on this connection, which must
    // outlive the workspace (or the next attach).
    void attachDisplay(X11Connection& display);
    // The workspace cannot see the application object, so this process
    // reports itself regular until told its policy.
    void setOwnPolicy(platform::ActivationPolicy policy) { ownPolicy_ = policy; }
    // Copies of this program outside this desktop session are not running
    // applications here; `copies` must outlive the workspace.
    void setSessionCopies(const SessionCopies* copies) { sessionCopies_ = copies; }

    // The owner of the window manager's active window; absent without one.
    std::optional<platform::RunningApplication> frontmostApplication() override;
    // The owners of the window manager's client windows, each once, oldest
    // window first; empty without a display.
    std::vector<platform::RunningApplication> runningApplications() override;
    platform::RunningApplication currentApplication() override;
    std::vector<platform::RunningApplication> runningApplications(
        const std::string& bundleIdentifier) override;
    bool isTerminated(int processIdentifier) override {
        return processes_.isTerminated(processIdentifier);
    }
    // The first `*.app` with this identifier in ~/Applications, /Applications
    // or /usr/local/Applications (and their subfolders one level down); else,
    // for a desktop entry `<id>.desktop`, its program found in PATH or the
    // entry file itself.
    std::optional<std::string> applicationPath(const std::string& bundleIdentifier) override;
    // For a bundle, the file its Info.plist names as CFBundleIconFile in
    // Contents/Resources (".png" added to a name without extension); for a
    // desktop entry, its Icon= file, or the named icon from the hicolor
    // theme's apps folders or /usr/share/pixmaps. PNG files only.
    std::optional<std::string> applicationIconFile(const std::string& applicationPath) override;
    // CFBundleIdentifier of the folder's Contents/Info.plist; for a desktop
    // entry file, its desktop file id without ".desktop".
    std::optional<std::string> bundleIdentifier(const std::string& path) override;
    // Bundles and desktop entries.
    std::vector<std::string> applicationExtensions() override;
    // The system's and the user's desktop entries, then the bundle folders.
    std::vector<std::string> applicationFolders() override;
    // A desktop entry's Name; else GIO's display name of the file, else the
    // last path component.
    std::string displayName(const std::string& path) override;

    // GIO's default handler for the address's scheme; false when none starts.
    bool openURL(const std::string& url) override;

    // Told when the active window passes to another application (another
    // process, or another identity for windows without a process id).
    platform::ObserverId observeActivations(ActivationHandler handler) override;
    void removeActivationObserver(platform::ObserverId observer) override {
        observers_.erase(observer);
    }

private:
    std::optional<platform::RunningApplication> applicationOfWindow(unsigned long window);
    platform::RunningApplication applicationOfProcess(const ProcessEntry& process);
    void activeWindowChanged(unsigned long window);

    ProcessTable processes_;
    std::unique_ptr<X11ActiveWindow> activeWindow_;
    std::optional<std::string> lastFront_;  // which application was told last
    platform::ActivationPolicy ownPolicy_ = platform::ActivationPolicy::regular;
    const SessionCopies* sessionCopies_ = nullptr;
    std::map<platform::ObserverId, ActivationHandler> observers_;
    platform::ObserverId nextObserver_ = 1;
};

}  // namespace host
