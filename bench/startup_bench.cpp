// What a person waits for and what the program costs while it sits in the
// menu bar: the time from starting the process to its launch line, and the
// resident memory of a copy that has launched and gone idle.
//
// Starts the built program, so it needs what the program needs: an X display
// and a D-Bus session (./build.sh runs give both).

#include <benchmark/benchmark.h>
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
// error read up to the launch line.
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
    // Seconds from the spawn to the launch line; negative if it never came.
    double secondsToLaunchLine() {
        std::string seen;
        char buffer[4096];
        while (seen.find("Tarnwick launched") == std::string::npos) {
            ssize_t count = read(errFd_, buffer, sizeof buffer);
            if (count <= 0) return -1;
            seen.append(buffer, static_cast<std::size_t>(count));
        }
        return std::chrono::duration<double>(Clock::now() - started_).count();
    }
    // VmRSS from /proc, in KiB.
    double residentKiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string key;
        while (status >> key) {
            if (key == "VmRSS:") {
                double kib = 0;
                status >> kib;
                return kib;
            }
            status.ignore(1 << 12, '\n');
        }
        return 0;
    }

private:
    pid_t pid_ = -1;
    int errFd_ = -1;
    Clock::time_point started_;
};

std::string freshHome() {
    std::string pattern = "/tmp/tarnwick-startup-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
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
BENCHMARK(BM_StartUpToLaunchLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Launched, then left alone for two seconds, as it spends most of its life.
void BM_IdleResidentMemory(benchmark::State& state) {
    auto home = freshHome();
    { Launched(home).secondsToLaunchLine(); }
    double kib = 0;
    for (auto _ : state) {
        Launched tarnwick(home);
        if (tarnwick.secondsToLaunchLine() < 0) state.SkipWithError("no launch line");
        std::this_thread::sleep_for(std::chrono::seconds(2));
        kib = tarnwick.residentKiB();
    }
    state.counters["idle_rss_MiB"] = kib / 1024;
    std::filesystem::remove_all(home);
}
BENCHMARK(BM_IdleResidentMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
