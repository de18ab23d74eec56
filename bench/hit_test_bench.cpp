// What one menu bar hit test costs on a busy desktop: 300 windows, the menu
// bar at the very back, so a click on empty menu bar walks the whole list.
// The list is handed over afresh on every call, as the window server does;
// BM_CopyWindowList shows how much of the time that copy alone takes.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "host/HostPlatform.h"
#include "menubar/MenuBarHitTest.h"

namespace {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;
namespace Keys = platform::WindowInfoKeys;

constexpr int statusItems = 20;
constexpr int ordinaryWindows = 279;
constexpr double statusItemWidth = 30;
constexpr double firstStatusItemX = 1400 - statusItems * statusItemWidth;

PropertyValue window(int layer, double x, double y, double width, double height,
                     const char* owner) {
    PropertyDictionary bounds{{"X", x}, {"Y", y}, {"Width", width}, {"Height", height}};
    return PropertyDictionary{
        {Keys::layer, layer}, {Keys::bounds, bounds}, {Keys::alpha, 1.0}, {Keys::ownerName, owner}};
}

// One 1440 × 900 screen: status items at the right of the bar, ordinary
// windows below it, the menu bar last.
class BenchWindowList : public platform::WindowList {
public:
    BenchWindowList() {
        PropertyArray list;
        for (int i = 0; i < statusItems; ++i) {
            list.push_back(window(25, firstStatusItemX + i * statusItemWidth, 0, statusItemWidth,
                                  24, "Status"));
        }
        for (int i = 0; i < ordinaryWindows; ++i) {
            list.push_back(window(0, (i * 37) % 900, 24 + (i * 13) % 400, 500, 400, "Editor"));
        }
        list.push_back(window(24, 0, 0, 1440, 24, "Window Server"));
        windows_ = PropertyValue(std::move(list));
    }
    std::vector<platform::ScreenRect> screens() override { return {{0, 0, 1440, 900}}; }
    std::optional<PropertyValue> copyWindowInfo() override { return windows_; }
    int windowLevel(platform::WindowLevelKey key) override {
        return key == platform::WindowLevelKey::mainMenu ? 24 : 2000;
    }

private:
    PropertyValue windows_{PropertyArray{}};
};

// The host's facilities with the window list swapped for the scripted one.
struct BenchPlatform {
    BenchPlatform() { platform::install(&platform); }
    ~BenchPlatform() { platform::install(nullptr); }

    host::HostPlatform host;
    BenchWindowList windowList;
    platform::Platform platform = withWindowList(host.platform(), windowList);

    static platform::Platform withWindowList(platform::Platform& h, platform::WindowList& list) {
        return {h.runLoop,
                h.log,
                h.preferences,
                h.distributedNotifications,
                h.workspace,
                h.loginItems,
                h.keyboardLayout,
                h.processInfo,
                h.activation,
                h.globalHotKeys,
                h.symbolicHotKeys,
                h.toolRunner,
                h.windowServer,
                h.statusBar,
                list,
                h.globalEventMonitor};
    }
};

void clickAt(benchmark::State& state, platform::ScreenPoint point, bool expected) {
    BenchPlatform bench;
    MenuBarHitTest::resetLevelsForTesting();
    if (MenuBarHitTest::isOnMenuBar(point) != expected) {
        state.SkipWithError("the scripted desktop answers otherwise");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(MenuBarHitTest::isOnMenuBar(point));
}

void BM_EmptyMenuBar(benchmark::State& state) {
    clickAt(state, {500, 890}, true);
}
BENCHMARK(BM_EmptyMenuBar)->Unit(benchmark::kMicrosecond);

void BM_StatusItem(benchmark::State& state) {
    clickAt(state, {firstStatusItemX + (statusItems - 0.5) * statusItemWidth, 890}, false);
}
BENCHMARK(BM_StatusItem)->Unit(benchmark::kMicrosecond);

void BM_CopyWindowList(benchmark::State& state) {
    BenchWindowList list;
    for (auto _ : state) benchmark::DoNotOptimize(list.copyWindowInfo());
}
BENCHMARK(BM_CopyWindowList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
