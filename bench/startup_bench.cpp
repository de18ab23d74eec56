// What a person waits for and what the program costs while it sits in the
// menu bar: the time from starting the process to its launch line, and the
// memory a copy keeps to itself (private dirty pages, which no other process
// shares and the system cannot drop) before, while and after it shows its
// settings window.
//
// Starts the built program, so it needs what the program needs: an X display
// and a D-Bus session (./build.sh runs give both).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One copy of the program with its own settings folder and its standard
// error read up to the line asked for.
class Launched {
public:
    explicit Launched(const std::string& home) {
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        int pipeFds[2];
        if (pipe(pipeFds) != 0) std::abort();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        char* argv[] = {const_cast<char*>(TARNWICK_EXECUTABLE), nullptr};
        started_ = Clock::now();
        if (posix_spawn(&pid_, TARNWICK_EXECUTABLE, &actions, nullptr, argv, environ) != 0)
            std::abort();
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        errFd_ = pipeFds[0];
    }
    ~Launched() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(errFd_);
    }
    pid_t pid() const { return pid_; }
    // Seconds from the spawn to a line holding `text`; negative if it never came.
    double secondsTo(const std::string& text) {
        char buffer[4096];
        while (seen_.find(text) == std::string::npos) {
            ssize_t count = read(errFd_, buffer, sizeof buffer);
            if (count <= 0) return -1;
            seen_.append(buffer, static_cast<std::size_t>(count));
        }
        return std::chrono::duration<double>(Clock::now() - started_).count();
    }
    double secondsToLaunchLine() { return secondsTo("Tarnwick launched"); }
    // Private_Dirty from /proc, in MiB.
    double privateDirtyMiB() const {
        std::ifstream rollup("/proc/" + std::to_string(pid_) + "/smaps_rollup");
        std::string key;
        while (rollup >> key) {
            if (key == "Private_Dirty:") {
                double kib = 0;
                rollup >> kib;
                return kib / 1024;
            }
            rollup.ignore(1 << 12, '\n');
        }
        return 0;
    }

private:
    pid_t pid_ = -1;
    int errFd_ = -1;
    std::string seen_;
    Clock::time_point started_;
};

std::string freshHome() {
    std::string pattern = "/tmp/tarnwick-startup-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
}

// On a desktop the X server always has clients (the panel, the window
// manager); a bare server with none left resets itself and turns new
// connections away for a moment. Holding one connection keeps it as a
// desktop's would be, so each launch is timed, not the server's reset.
Display* desktopClient() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

// Asks the program's mapped top-level windows to close, as a window
// manager's close button does.
void closeWindowsOf(pid_t pid) {
    Display* display = desktopClient();
    if (!display) return;
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &after, &data) == Success &&
            data && items == 1 && static_cast<pid_t>(*reinterpret_cast<long*>(data)) == pid) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = children[i];
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
        }
        if (data) XFree(data);
    }
    if (children) XFree(children);
    XFlush(display);
}

// A launch that is not the first, so no settings window opens.
void BM_StartUpToLaunchLine(benchmark::State& state) {
    auto home = freshHome();
    { Launched(home).secondsToLaunchLine(); }
    for (auto _ : state) {
        Launched tarnwick(home);
        double seconds = tarnwick.secondsToLaunchLine();
        if (seconds < 0) state.SkipWithError("no launch line");
        state.SetIterationTime(seconds);
    }
    std::filesystem::remove_all(home);
}
// Ten launches, each timed on its own; the median is the figure.
BENCHMARK(BM_StartUpToLaunchLine)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly();

// Launched, then left alone for two seconds, as it spends most of its life.
void BM_IdleMemory(benchmark::State& state) {
    auto home = freshHome();
    { Launched(home).secondsToLaunchLine(); }
    double mib = 0;
    for (auto _ : state) {
        Launched tarnwick(home);
        if (tarnwick.secondsToLaunchLine() < 0) state.SkipWithError("no launch line");
        std::this_thread::sleep_for(std::chrono::seconds(2));
        mib = tarnwick.privateDirtyMiB();
    }
    state.counters["private_dirty_MiB"] = mib;
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_IdleMemory)->Unit(benchmark::kSecond)->Iterations(1);

// The first launch shows the settings window; then it is closed again.
void BM_SettingsWindowMemory(benchmark::State& state) {
    auto home = freshHome();
    double shown = 0, closed = 0;
    for (auto _ : state) {
        Launched tarnwick(home);
        if (tarnwick.secondsTo("Settings window shown") < 0) state.SkipWithError("no window");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        shown = tarnwick.privateDirtyMiB();
        closeWindowsOf(tarnwick.pid());
        std::this_thread::sleep_for(std::chrono::seconds(2));
        closed = tarnwick.privateDirtyMiB();
    }
    state.counters["shown_private_dirty_MiB"] = shown;
    state.counters["closed_private_dirty_MiB"] = closed;
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_SettingsWindowMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

// A program just built has pages of its file not yet on disk, which the
// kernel counts as dirty in every copy that maps them; an installed one has
// none. Written out first, the file counts as installed.
void writeProgramToDisk() {
    int file = open(TARNWICK_EXECUTABLE, O_RDONLY | O_CLOEXEC);
    if (file < 0) return;
    fsync(file);
    close(file);
}

int main(int argc, char** argv) {
    writeProgramToDisk();
    desktopClient();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
