// What asking "whose shortcut is this?" of the Services costs: with a list
// gathered afresh (the settings file read, the tools tried) and with the
// list kept from a moment ago. The user's settings hold 300 services.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/HostPlatform.h"
#include "shortcuts/ServicesShortcuts.h"

namespace {

// A home with a Services settings file, and the host reading it.
host::HostPlatform& hostWithServices() {
    static std::unique_ptr<host::HostPlatform> host = [] {
        std::string folder = "/tmp/tarnwick-bench-XXXXXX";
        if (!mkdtemp(folder.data())) std::abort();
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        platform::PropertyDictionary status;
        for (int i = 0; i < 300; ++i) {
            auto letter = std::string(1, static_cast<char>('a' + i % 26));
            status.emplace("com.example.app" + std::to_string(i) + " - Service " + std::to_string(i) + " - run",
                           platform::PropertyDictionary{{"key_equivalent", "@~" + letter}});
        }
        auto created = std::make_unique<host::HostPlatform>();
        auto& preferences = created->platform().preferences;
        preferences.setValue("pbs", "NSServicesStatus", platform::PropertyValue(status));
        if (!preferences.synchronize("pbs")) std::abort();
        return created;
    }();
    platform::install(&host->platform());
    return *host;
}

const HotKey unused{46, ModifierFlags::control | ModifierFlags::option | ModifierFlags::command};

void BM_OwnerFresh(benchmark::State& state) {
    hostWithServices();
    for (auto _ : state) {
        ServicesShortcuts::forgetCache();
        benchmark::DoNotOptimize(ServicesShortcuts::owner(unused));
    }
}
BENCHMARK(BM_OwnerFresh)->Unit(benchmark::kMicrosecond);

void BM_OwnerCached(benchmark::State& state) {
    hostWithServices();
    ServicesShortcuts::owner(unused);
    for (auto _ : state) benchmark::DoNotOptimize(ServicesShortcuts::owner(unused));
}
BENCHMARK(BM_OwnerCached)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
