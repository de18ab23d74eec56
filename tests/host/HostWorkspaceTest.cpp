// The workspace against real processes and a real X server. Other
// applications are copies of the test helper placed in made-up bundles; the
// test plays the window manager, announcing the active window and the client
// list on the root as one would.

#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "host/HostWorkspace.h"
#include "host/x11/X11Connection.h"
#include "support/Bundles.h"
#include "support/Process.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using platform::RunningApplication;

constexpr double referenceDateOffset = 978307200;

double now() {
    return static_cast<double>(g_get_real_time()) / G_USEC_PER_SEC - referenceDateOffset;
}

bool pumpUntil(const std::function<bool()>& done, double seconds = 5) {
    gint64 end = g_get_monotonic_time() + static_cast<gint64>(seconds * G_USEC_PER_SEC);
    while (g_get_monotonic_time() < end) {
        if (done()) return true;
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
    }
    return done();
}

// `folder`/Name.app with an Info.plist and a copy of the helper as its
// executable (a symbolic link would show the helper's own path in /proc).
std::string makeBundle(const std::string& folder, const std::string& name, const std::string& identifier) {
    return support::makeBundle(folder, name, identifier, HOST_TEST_HELPER);
}

std::vector<int> processIdentifiers(const std::vector<RunningApplication>& applications) {
    std::vector<int> pids;
    for (const auto& application : applications) pids.push_back(application.processIdentifier);
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::string described(const RunningApplication& application) {
    return application.bundleIdentifier.value_or("-") + "|" +
           application.localizedName.value_or("-");
}

class HostWorkspaceTest : public testing::Test {
protected:
    support::TemporaryDirectory folder;
    // Before the workspace, which listens to it until it goes.
    host::X11Connection connection;
    host::HostWorkspace workspace;
};

TEST_F(HostWorkspaceTest, FindsTheRunningCopiesOfABundleUntilTheyEnd) {
    auto fake = makeBundle(folder.path(), "Fake", "com.example.fake");
    auto other = makeBundle(folder.path(), "Other", "com.example.other");
    auto first =
        std::make_unique<support::ChildProcess>(std::vector<std::string>{fake, "workspace-idle"});
    support::ChildProcess second({fake, "workspace-idle"});
    support::ChildProcess stranger({other, "workspace-idle"});
    ASSERT_TRUE(first->waitForStdout("ready") && second.waitForStdout("ready") &&
                stranger.waitForStdout("ready"));

    auto copies = workspace.runningApplications("com.example.fake");

    ASSERT_EQ(processIdentifiers(copies), (std::vector<int>{std::min(first->pid(), second.pid()),
                                                            std::max(first->pid(), second.pid())}));
    for (const auto& copy : copies) {
        EXPECT_EQ(described(copy), "com.example.fake|Fake");
        EXPECT_EQ(copy.bundlePath, folder.path() + "/Fake.app");
        EXPECT_EQ(copy.executablePath, fake);
        ASSERT_TRUE(copy.launchDate);
        EXPECT_NEAR(copy.launchDate->secondsSinceReferenceDate, now(), 5);
    }

    int firstPid = first->pid();
    first->signal(SIGKILL);
    ASSERT_TRUE(pumpUntil([&] { return workspace.isTerminated(firstPid); }));
    EXPECT_EQ(processIdentifiers(workspace.runningApplications("com.example.fake")),
              std::vector<int>{second.pid()});
    first.reset();
    EXPECT_TRUE(workspace.isTerminated(firstPid));
    EXPECT_FALSE(workspace.isTerminated(second.pid()));
}

TEST_F(HostWorkspaceTest, KnowsItselfAsOneOfItsOwnRunningCopies) {
    auto self = workspace.currentApplication();
    EXPECT_EQ(self.processIdentifier, getpid());
    EXPECT_EQ(self.executablePath, fs::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(self.activationPolicy, platform::ActivationPolicy::regular);
    ASSERT_TRUE(self.bundleIdentifier && self.launchDate);
    EXPECT_LT(self.launchDate->secondsSinceReferenceDate, now() + 1);

    workspace.setOwnPolicy(platform::ActivationPolicy::accessory);
    auto copies = workspace.runningApplications(*self.bundleIdentifier);
    self.activationPolicy = platform::ActivationPolicy::accessory;
    EXPECT_NE(std::find(copies.begin(), copies.end(), self), copies.end());
}

TEST_F(HostWorkspaceTest, FindsInstalledBundlesInTheHomeApplicationsFolder) {
    makeBundle(folder.path() + "/Applications", "Direct", "com.example.direct");
    makeBundle(folder.path() + "/Applications/Utilities", "Nested", "com.example.nested");
    fs::create_directories(folder.path() + "/Applications/Broken.app/Contents");
    support::writeFile(folder.path() + "/Applications/Broken.app/Contents/Info.plist", "<plist");
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", folder.path().c_str(), 1);

    auto direct = workspace.applicationPath("com.example.direct");
    auto nested = workspace.applicationPath("com.example.nested");
    auto missing = workspace.applicationPath("com.example.missing");
    setenv("HOME", home.c_str(), 1);

    EXPECT_EQ(direct, folder.path() + "/Applications/Direct.app");
    EXPECT_EQ(nested, folder.path() + "/Applications/Utilities/Nested.app");
    EXPECT_EQ(missing, std::nullopt);
}

// Enough of a PNG for the workspace, which looks only at the signature.
void writePNG(const fs::path& path) {
    fs::create_directories(path.parent_path());
    support::writeFile(path.string(), std::string("\x89PNG\r\n\x1a\n", 8) + "pixels");
}

std::string bundleWithIcon(const std::string& folder, const std::string& name,
                           const std::string& iconEntry) {
    auto bundle = fs::path(folder) / (name + ".app");
    fs::create_directories(bundle / "Contents");
    support::writeFile((bundle / "Contents" / "Info.plist").string(),
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>CFBundleIdentifier</key><string>com.example." +
                           name + "</string><key>CFBundleIconFile</key><string>" + iconEntry +
                           "</string></dict></plist>\n");
    return bundle.string();
}

TEST_F(HostWorkspaceTest, ABundleHasTheIdentifierAndTheIconItsInfoNames) {
    auto plain = bundleWithIcon(folder.path(), "Plain", "Jot");
    auto given = bundleWithIcon(folder.path(), "Given", "Pic.png");
    auto mac = bundleWithIcon(folder.path(), "Mac", "AppIcon");
    auto foreign = bundleWithIcon(folder.path(), "Foreign", "Jot.bmp");
    auto escaping = bundleWithIcon(folder.path(), "Escaping", "../../outside.png");
    writePNG(plain + "/Contents/Resources/Jot.png");
    writePNG(given + "/Contents/Resources/Pic.png");
    support::writeFile(mac + "/Contents/Resources/AppIcon.icns", "icns");
    support::writeFile(foreign + "/Contents/Resources/Jot.bmp", "BM");
    writePNG(folder.path() + "/outside.png");
    fs::create_directories(folder.path() + "/Stuff");

    EXPECT_EQ(workspace.bundleIdentifier(plain), "com.example.Plain");
    EXPECT_EQ(workspace.bundleIdentifier(plain + "/"), "com.example.Plain");
    EXPECT_EQ(workspace.bundleIdentifier(folder.path() + "/Stuff"), std::nullopt);
    EXPECT_EQ(workspace.bundleIdentifier(folder.path() + "/Missing.app"), std::nullopt);

    EXPECT_EQ(workspace.applicationIconFile(plain), plain + "/Contents/Resources/Jot.png");
    EXPECT_EQ(workspace.applicationIconFile(given), given + "/Contents/Resources/Pic.png");
    EXPECT_EQ(workspace.applicationIconFile(mac), mac + "/Contents/Resources/AppIcon.icns");
    EXPECT_EQ(workspace.applicationIconFile(foreign), std::nullopt) << "not an icon format";
    EXPECT_EQ(workspace.applicationIconFile(escaping), std::nullopt);
}

// Sets an environment variable until the end of the scope.
struct ScopedVariable {
    ScopedVariable(const char* name, const std::string& value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (!previous) {
            unsetenv(name);
            return;
        }
        setenv(name, previous->c_str(), 1);
    }
    const char* name;
    std::optional<std::string> previous;
};

TEST_F(HostWorkspaceTest, ADesktopEntrysIconComesFromItsFileOrTheIconTheme) {
    auto data = folder.path() + "/data";
    ScopedVariable dataHome("XDG_DATA_HOME", data);
    ScopedVariable dataDirs("XDG_DATA_DIRS", folder.path() + "/system");
    writePNG(folder.path() + "/system/icons/hicolor/256x256/apps/org.example.Probe.png");
    writePNG(data + "/icons/hicolor/32x32/apps/org.example.Probe.png");
    writePNG(folder.path() + "/drawn.png");
    support::writeFile(data + "/icons/hicolor/scalable/apps/org.example.Drawn.svg", "<svg/>");
    auto entry = [&](const std::string& name, const std::string& icon) {
        auto path = data + "/applications/" + name + ".desktop";
        fs::create_directories(data + "/applications");
        support::writeFile(path, "[Desktop Entry]\nType=Application\nName=" + name +
                                     "\nExec=/bin/true\nIcon=" + icon + "\n");
        return path;
    };

    EXPECT_EQ(workspace.applicationIconFile(entry("themed", "org.example.Probe")),
              data + "/icons/hicolor/32x32/apps/org.example.Probe.png")
        << "the size nearest a list icon, wherever it lies";
    EXPECT_EQ(workspace.applicationIconFile(entry("scalable", "org.example.Drawn")),
              data + "/icons/hicolor/scalable/apps/org.example.Drawn.svg");
    EXPECT_EQ(workspace.applicationIconFile(entry("file", folder.path() + "/drawn.png")),
              folder.path() + "/drawn.png");
    EXPECT_EQ(workspace.applicationIconFile(entry("unknown", "org.example.Unknown")), std::nullopt);
    EXPECT_EQ(workspace.applicationIconFile(folder.path() + "/nothing"), std::nullopt);
    support::writeFile(folder.path() + "/huge.svg", std::string(9 << 20, ' '));
    EXPECT_EQ(workspace.applicationIconFile(entry("huge", folder.path() + "/huge.svg")),
              std::nullopt)
        << "no icon is megabytes";

    // The user's theme (GTK's setting, or LXQt's on LXQt) comes first, then
    // what it inherits, then hicolor; within a theme the nearest size.
    ScopedVariable configHome("XDG_CONFIG_HOME", folder.path() + "/config");
    ScopedVariable desktop("XDG_CURRENT_DESKTOP", "XFCE");
    support::writeFile(folder.path() + "/config/gtk-3.0/settings.ini",
                       "[Settings]\ngtk-icon-theme-name=Child\n");
    support::writeFile(folder.path() + "/config/lxqt/lxqt.conf", "[General]\nicon_theme=Parent\n");
    support::writeFile(data + "/icons/Child/index.theme",
                       "[Icon Theme]\nName=Child\nInherits=Parent,Missing\nDirectories=16x16/apps\n"
                       "[16x16/apps]\nSize=16\nType=Fixed\n");
    support::writeFile(folder.path() + "/system/icons/Parent/index.theme",
                       "[Icon Theme]\nName=Parent\nDirectories=64x64/actions,scalable/actions,"
                       "96x96/actions\n[64x64/actions]\nSize=64\n[scalable/actions]\nSize=64\n"
                       "MinSize=8\nMaxSize=40\nType=Scalable\n[96x96/actions]\nSize=96\n");
    writePNG(data + "/icons/Child/16x16/apps/org.example.Probe.png");
    writePNG(folder.path() + "/system/icons/Parent/64x64/actions/system-log-out.png");
    support::writeFile(folder.path() + "/system/icons/Parent/scalable/actions/system-log-out.svg",
                       "<svg/>");
    writePNG(folder.path() + "/system/icons/Parent/96x96/actions/system-log-out.png");
    EXPECT_EQ(workspace.applicationIconFile(entry("themed", "org.example.Probe")),
              data + "/icons/Child/16x16/apps/org.example.Probe.png");
    EXPECT_EQ(workspace.applicationIconFile(entry("leave", "system-log-out")),
              folder.path() + "/system/icons/Parent/scalable/actions/system-log-out.svg")
        << "inherited; the scalable picture serves up to 40 pixels, nearer than 64";
    ScopedVariable lxqt("XDG_CURRENT_DESKTOP", "LXQt");
    EXPECT_EQ(workspace.applicationIconFile(entry("themed", "org.example.Probe")),
              data + "/icons/hicolor/32x32/apps/org.example.Probe.png")
        << "LXQt's theme is Parent, which does not have it";
}

TEST_F(HostWorkspaceTest, ADesktopEntryFileIsAnApplicationByItsIdAndName) {
    auto data = folder.path() + "/data";
    ScopedVariable dataHome("XDG_DATA_HOME", data);
    fs::create_directories(data + "/applications");
    auto entry = folder.path() + "/org.example.Notes.desktop";
    auto broken = folder.path() + "/broken.desktop";
    support::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Notes\nExec=/bin/true\n");
    support::writeFile(broken, "Name=Broken\n");

    EXPECT_EQ(workspace.bundleIdentifier(entry), "org.example.Notes");
    EXPECT_EQ(workspace.displayName(entry), "Notes");
    // Inside an applications folder the id names the subfolders, with "-".
    auto nested = data + "/applications/suite/tools/Notes.desktop";
    support::writeFile(nested, "[Desktop Entry]\nType=Application\nName=Notes\nExec=/bin/true\n");
    EXPECT_EQ(workspace.bundleIdentifier(nested), "suite-tools-Notes");
    EXPECT_EQ(workspace.bundleIdentifier(broken), std::nullopt);
    EXPECT_EQ(workspace.displayName(broken), "broken.desktop");
    auto folders = workspace.applicationFolders();
    EXPECT_NE(std::find(folders.begin(), folders.end(), data + "/applications"), folders.end());
    if (fs::is_directory("/usr/share/applications")) {
        EXPECT_EQ(folders.front(), "/usr/share/applications");
    }
}

class HostWorkspaceOnX11Test : public HostWorkspaceTest {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(connection.available());
        manager = XOpenDisplay(nullptr);
        ASSERT_TRUE(manager);
        root = DefaultRootWindow(manager);
        check = XCreateSimpleWindow(manager, root, 0, 0, 1, 1, 0, 0, 0);
        setWindows(check, "_NET_SUPPORTING_WM_CHECK", {check});
        setWindows(root, "_NET_SUPPORTING_WM_CHECK", {check});
        XSync(manager, False);
    }
    void TearDown() override {
        if (!manager) return;
        for (const char* name :
             {"_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST"}) {
            XDeleteProperty(manager, root, XInternAtom(manager, name, False));
        }
        XCloseDisplay(manager);
    }

    void setWindows(Window window, const char* name, std::vector<unsigned long> windows) {
        XChangeProperty(manager, window, XInternAtom(manager, name, False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(windows.data()),
                        static_cast<int>(windows.size()));
    }
    void activate(unsigned long window) {
        setWindows(root, "_NET_ACTIVE_WINDOW", {window});
        XSync(manager, False);
    }
    // A helper process showing one window; answers its window id.
    unsigned long startWindow(support::ChildProcess& child) {
        if (!child.waitForStdout("\n")) return 0;
        auto text = child.stdoutText();
        return std::stoul(text.substr(text.find(' ') + 1));
    }

    Display* manager = nullptr;
    Window root = 0, check = 0;
};

TEST_F(HostWorkspaceOnX11Test, TellsEachChangeOfTheFrontApplicationOnce) {
    auto alpha = makeBundle(folder.path(), "Alpha", "com.example.alpha");
    auto beta = makeBundle(folder.path(), "Beta", "com.example.beta");
    support::ChildProcess alphaProcess({alpha, "workspace-window", "Alpha", "alpha"});
    support::ChildProcess betaProcess({beta, "workspace-window", "Beta", "beta"});
    auto alphaWindow = startWindow(alphaProcess), betaWindow = startWindow(betaProcess);
    ASSERT_TRUE(alphaWindow && betaWindow);
    setWindows(root, "_NET_CLIENT_LIST", {alphaWindow, betaWindow});
    activate(alphaWindow);
    workspace.attachDisplay(connection);
    std::vector<RunningApplication> told;
    workspace.observeActivations(
        [&](const RunningApplication& application) { told.push_back(application); });

    ASSERT_TRUE(workspace.frontmostApplication());
    EXPECT_EQ(described(*workspace.frontmostApplication()), "com.example.alpha|Alpha");
    EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, alphaProcess.pid());
    auto running = workspace.runningApplications();
    ASSERT_EQ(running.size(), 2u);
    EXPECT_EQ(described(running[0]) + " " + described(running[1]),
              "com.example.alpha|Alpha com.example.beta|Beta");

    activate(betaWindow);
    ASSERT_TRUE(pumpUntil([&] { return told.size() == 1; }));
    EXPECT_EQ(described(told[0]), "com.example.beta|Beta");
    EXPECT_EQ(told[0].processIdentifier, betaProcess.pid());
    EXPECT_EQ(told[0].bundlePath, folder.path() + "/Beta.app");
    EXPECT_EQ(described(*workspace.frontmostApplication()), "com.example.beta|Beta");

    // Rewriting the same window, or passing through no window, is no change.
    activate(betaWindow);
    activate(0);
    activate(betaWindow);
    activate(alphaWindow);
    ASSERT_TRUE(pumpUntil([&] { return told.size() == 2; }));
    pumpUntil([] { return false; }, 0.2);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(described(told[1]), "com.example.alpha|Alpha");

    // Once the window manager's check window is gone, its leftovers count no more.
    XDestroyWindow(manager, check);
    XSync(manager, False);
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
    EXPECT_TRUE(workspace.runningApplications().empty());
}

TEST_F(HostWorkspaceOnX11Test, NamesAWindowOutsideABundleByItsDesktopEntry) {
    support::TemporaryDirectory data;
    fs::create_directories(data.path() + "/applications");
    support::writeFile(data.path() + "/applications/org.example.Probe.desktop",
                       "[Desktop Entry]\nType=Application\nName=Probe Viewer\nExec=/bin/true\n"
                       "StartupWMClass=TarnwickProbe\n");
    support::ChildProcess owner({HOST_TEST_HELPER, "workspace-window", "TarnwickProbe", "probe"});
    auto window = startWindow(owner);
    ASSERT_TRUE(window);
    activate(window);

    // GLib reads the data folders once per process, so a fresh one looks.
    support::ChildProcess look({HOST_TEST_HELPER, "workspace-front"},
                               {{"XDG_DATA_HOME", data.path()}});
    EXPECT_EQ(look.wait(), 0);
    EXPECT_EQ(look.stdoutText(), "front org.example.Probe|Probe Viewer|" + data.path() +
                                     "/applications/org.example.Probe.desktop\n");
}

}  // namespace
