#include "support/PrivateDesktop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

// Last: Xlib's macros (None, Bool, ...) would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace support {
namespace {

std::string firstLine(const std::string& text) {
    auto end = text.find('\n');
    return end == std::string::npos ? std::string() : text.substr(0, end);
}

}  // namespace

PrivateDesktop::PrivateDesktop(std::string home, int width, int height) : home_(std::move(home)) {
    std::filesystem::create_directories(configHome());
    // The server picks a free display and tells its number on this pipe;
    // -noreset keeps it (and its keymap) when the last client leaves.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24",
                                 "-nolisten", "tcp", "-noreset"});
    if (server_->waitForStdout("\n")) display_ = ":" + firstLine(server_->stdoutText());
    // The bus hands its own environment to the services it starts.
    bus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1"},
        environment());
    if (bus_->waitForStdout("\n")) busAddress_ = firstLine(bus_->stdoutText());
}

PrivateDesktop::~PrivateDesktop() = default;

std::map<std::string, std::string> PrivateDesktop::environment(
    std::map<std::string, std::string> extra) const {
    extra["HOME"] = home_;
    extra["XDG_CONFIG_HOME"] = configHome();
    if (!display_.empty()) extra["DISPLAY"] = display_;
    if (!busAddress_.empty()) extra["DBUS_SESSION_BUS_ADDRESS"] = busAddress_;
    return extra;
}

std::unique_ptr<ChildProcess> PrivateDesktop::start(
    const std::vector<std::string>& argv, std::map<std::string, std::string> extra) const {
    return std::make_unique<ChildProcess>(argv, environment(std::move(extra)));
}

std::string PrivateDesktop::run(const std::vector<std::string>& argv) const {
    ChildProcess child(argv, environment());
    auto status = child.wait(std::chrono::seconds(30));
    EXPECT_EQ(status, 0) << argv[0] << ": " << child.stderrText();
    return child.stdoutText();
}

bool PrivateDesktop::waitForWindowManager() const {
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return false;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    bool announced = false;
    for (int attempt = 0; attempt < 200 && !announced; ++attempt) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data);
        if (data) XFree(data);
        announced = count == 1;
        if (!announced) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return announced;
}

bool installed(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && std::filesystem::exists(folder + "/" + program)) return true;
    }
    return false;
}

}  // namespace support
