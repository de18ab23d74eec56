#pragma once

// A desktop session of a test's own: an X server and a session bus nothing
// else uses, so a real panel and window manager can run in it without
// reaching the display or bus that other tests share.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.h"

namespace support {

class PrivateDesktop {
public:
    // Settings live under `home`: HOME is `home`, XDG_CONFIG_HOME
    // `home`/config, for every program started here, services the bus
    // starts on demand (xfconfd) included. The screen is `width`x`height`.
    explicit PrivateDesktop(std::string home, int width = 1280, int height = 800);
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    // False when the X server or the bus did not come up.
    bool ready() const { return !display_.empty() && !busAddress_.empty(); }
    const std::string& display() const { return display_; }
    const std::string& busAddress() const { return busAddress_; }
    std::string configHome() const { return home_ + "/config"; }

    // DISPLAY, DBUS_SESSION_BUS_ADDRESS, HOME and XDG_CONFIG_HOME, plus `extra`.
    std::map<std::string, std::string> environment(
        std::map<std::string, std::string> extra = {}) const;
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv,
                                        std::map<std::string, std::string> extra = {}) const;
    // Runs a program in the session to its end and answers what it printed;
    // a non-zero exit fails the current test.
    std::string run(const std::vector<std::string>& argv) const;
    // Waits up to ten seconds for a window manager to announce itself on the
    // root window (_NET_SUPPORTING_WM_CHECK).
    bool waitForWindowManager() const;

private:
    std::string home_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> bus_;
    std::string display_;
    std::string busAddress_;
};

// Whether a program is installed (a bare name looked up in PATH).
bool installed(const std::string& program);

}  // namespace support
