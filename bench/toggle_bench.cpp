// What a toggle costs next to the least any durable write of the same file
// costs: a temporary file, fsync, rename. Both run in the same process on the
// same disk; the ratio is printed at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "core/AppController.h"
#include "host/HostPlatform.h"
#include "host/PropertyList.h"
#include "kit/Application.h"

namespace {

std::string benchFolder() {
    static std::string folder = [] {
        std::string pattern = "/tmp/tarnwick-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

void BM_Toggle(benchmark::State& state) {
    host::HostPlatform host;
    platform::install(&host.platform());
    {
        kit::Application app;
        AppController controller;
        for (auto _ : state) controller.toggleAutoHide(AppController::sourceHotKey);
    }
    platform::install(nullptr);
}
BENCHMARK(BM_Toggle)->Unit(benchmark::kMicrosecond);

void writeDurably(const std::string& folder, const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".XXXXXX";
    int file = mkstemp(temporary.data());
    if (file < 0 || write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        fsync(file) != 0 || close(file) != 0 || rename(temporary.c_str(), path.c_str()) != 0) {
        std::abort();
    }
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    fsync(directory);
    close(directory);
}

void BM_BareDurableWrite(benchmark::State& state) {
    auto folder = benchFolder() + "/config/Preferences";
    auto path = folder + "/.GlobalPreferences.plist";
    bool on = false;
    for (auto _ : state) {
        on = !on;
        writeDurably(folder, path,
                     host::xmlPropertyList(platform::PropertyDictionary{{"_HIHideMenuBar", on}}));
    }
}
BENCHMARK(BM_BareDurableWrite)->Unit(benchmark::kMicrosecond);

// Remembers each benchmark's time per iteration to print the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("XDG_CONFIG_HOME", (benchFolder() + "/config").c_str(), 1);
    std::filesystem::create_directories(benchFolder() + "/config/Preferences");
    // Each toggle writes a log line; keep the report readable.
    if (!std::freopen("/dev/null", "w", stderr)) return 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto toggle = reporter.times["BM_Toggle"];
    auto bare = reporter.times["BM_BareDurableWrite"];
    if (bare > 0) std::printf("toggle / bare durable write: %.2f\n", toggle / bare);
    std::filesystem::remove_all(benchFolder());
    benchmark::Shutdown();
    return 0;
}
