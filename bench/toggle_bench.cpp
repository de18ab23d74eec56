// What a toggle costs next to the least any durable write of such a file
// costs: a temporary file, fsync, rename. Both run in the same process on the
// same disk, in turns; the ratio of their medians is reported.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// A toggle and a bare write of the same file take turns, so a disk that
// grows slower or faster during the run weighs on both alike; the medians
// of each are compared.
void BM_ToggleBesideBareDurableWrite(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    host::HostPlatform host;
    platform::install(&host.platform());
    auto folder = benchFolder() + "/config/Preferences";
    auto bare = folder + "/bare.plist";
    std::vector<double> toggles, writes;
    {
        kit::Application app;
        AppController controller;
        bool on = false;
        for (auto _ : state) {
            auto start = Clock::now();
            controller.toggleAutoHide(AppController::sourceHotKey);
            auto middle = Clock::now();
            on = !on;
            writeDurably(
                folder, bare,
                host::xmlPropertyList(platform::PropertyDictionary{{"_HIHideMenuBar", on}}));
            auto end = Clock::now();
            toggles.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
            writes.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
        }
    }
    platform::install(nullptr);
    state.counters["toggle_us"] = median(toggles);
    state.counters["bare_write_us"] = median(writes);
    state.counters["ratio"] = median(toggles) / median(writes);
}
BENCHMARK(BM_ToggleBesideBareDurableWrite)->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace

int main(int argc, char** argv) {
    setenv("XDG_CONFIG_HOME", (benchFolder() + "/config").c_str(), 1);
    std::filesystem::create_directories(benchFolder() + "/config/Preferences");
    // Each toggle writes a log line; keep the report readable.
    if (!std::freopen("/dev/null", "w", stderr)) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(benchFolder());
    benchmark::Shutdown();
    return 0;
}
