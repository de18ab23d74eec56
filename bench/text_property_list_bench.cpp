// Reading a services dump of a few megabytes, as the system tool prints it on
// a machine with many applications installed.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <variant>

#include "shortcuts/TextPropertyList.h"

namespace {

// One service as the tool prints it; data values are already shown as <>.
std::string service(int index) {
    auto n = std::to_string(index);
    return R"(    {
        NSBundleIdentifier = "com.example.app)" +
           n + R"(";
        NSBundlePath = "/Applications/App \"Number\" )" +
           n + R"(.app";
        NSExecutable = "App \U00e9\U2014)" +
           n + R"(";
        NSMenuItem = { default = "App )" +
           n + R"(/Make Note \U2192 Jot"; German = "Notiz anlegen \303\274"; };
        NSMessage = makeNote;
        NSPortName = "App )" +
           n + R"(";
        NSKeyEquivalent = { default = "@~n"; };
        NSSendTypes = ( NSStringPboardType, "public.utf8-plain-text", ( NSFilenamesPboardType, "public.file-url" ) );
        NSReturnTypes = ( );
        NSRequiredContext = { NSTextContent = ( URL, FilePath ); NSServiceCategory = "public.text"; };
        NSTimeout = 30000;
        ValidData = <>;
        NSIconData = <>;
        // the tool's note on an entry it could not read
        NSUserData = <0a0b0c0d 0e0f1011>;
    },
)";
}

std::string servicesDump(int services) {
    std::string dump = "(\n";
    for (int index = 0; index < services; ++index) dump += service(index);
    dump += ")\n";
    return dump;
}

void BM_ParseServicesDump(benchmark::State& state) {
    const std::string dump = servicesDump(static_cast<int>(state.range(0)));
    if (!std::holds_alternative<platform::PropertyValue>(TextPropertyList::parse(dump))) {
        std::abort();
    }
    for (auto _ : state) {
        auto result = TextPropertyList::parse(dump);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dump.size()));
    state.counters["MB"] = static_cast<double>(dump.size()) / 1e6;
}
BENCHMARK(BM_ParseServicesDump)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
