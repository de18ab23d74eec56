// The work of a snapshot run without its fixed waits: picture the settings
// window, try ⌘Space through it, picture it again, both as 2× PNGs.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/AppController.h"
#include "host/HostPlatform.h"
#include "housekeeping/Snapshot.h"
#include "kit/Application.h"
#include "shortcuts/SystemShortcuts.h"
#include "ui/SettingsWindowController.h"

namespace {

std::string benchFolder() {
    static std::string folder = [] {
        std::string pattern = "/tmp/tarnwick-snapshot-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

void BM_WriteBothSnapshots(benchmark::State& state) {
    host::HostPlatform host;
    platform::install(&host.platform());
    host.setFactorySymbolicHotKeys(SystemShortcuts::factorySymbolicHotKeys(
        host.platform().processInfo.operatingSystemMajorVersion()));
    {
        kit::Application app;
        AppController controller;
        auto& settings = controller.settingsWindowController();
        settings.show();
        const HotKey commandSpace{49, 0x100000};
        for (auto _ : state) {
            Snapshot::write(&settings.window(), benchFolder() + "/settings.png");
            settings.apply(commandSpace);
            Snapshot::write(&settings.window(), benchFolder() + "/shortcut.png");
        }
    }
    platform::install(nullptr);
}
BENCHMARK(BM_WriteBothSnapshots)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("XDG_CONFIG_HOME", (benchFolder() + "/config").c_str(), 1);
    setenv(Snapshot::standardMacVariable, "1", 1);
    std::filesystem::create_directories(benchFolder() + "/config/Preferences");
    // Every picture writes a log line; keep the report readable.
    if (!std::freopen("/dev/null", "w", stderr)) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(benchFolder());
    benchmark::Shutdown();
    return 0;
}
