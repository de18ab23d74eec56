// What our own part of a toggle on Xfce costs: from the toggle (stored,
// made durable, announced on the bus) to the top panel's autohide-behavior
// set in xfconfd, the way the program's panel sync does it on the
// announcement. The panel's own animation is not ours and not timed.
// Runs its own session bus and xfconfd on settings in a temporary folder.

#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/DBusDistributedNotificationCenter.h"
#include "host/HostPlatform.h"
#include "host/panels/XfcePanelAutoHide.h"
#include "prefs/MenuBarAutoHide.h"

namespace {

constexpr const char* panelSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
    </property>
  </property>
</channel>
)";

// Each iteration flips the setting and waits until the panel's property
// says the same. With `syncOnly` only the sync's own work is timed: from
// the announcement's arrival to xfconfd's answer.
void toggleToPanel(benchmark::State& state, bool syncOnly) {
    host::HostPlatform host;
    platform::install(&host.platform());
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    host::XfcePanelAutoHide panel(bus);
    bool done = false;
    double seconds = 0;
    auto apply = [&] {
        auto start = std::chrono::steady_clock::now();
        bool on = MenuBarAutoHide::isOn();
        if (!panel.setAutoHide(on).empty()) state.SkipWithError("xfconfd refused");
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        done = true;
    };
    auto observer = host.distributedNotifications().addObserver(
        MenuBarAutoHide::changedNotification, [&](const auto&, const auto&) { apply(); });
    for (auto _ : state) {
        MenuBarAutoHide::setOn(!MenuBarAutoHide::isOn());
        done = false;
        while (!done) g_main_context_iteration(nullptr, TRUE);
        if (syncOnly) state.SetIterationTime(seconds);
    }
    host.distributedNotifications().removeObserver(observer);
    platform::install(nullptr);
}

void BM_ToggleToPanelProperty(benchmark::State& state) {
    toggleToPanel(state, false);
}
BENCHMARK(BM_ToggleToPanelProperty)->Unit(benchmark::kMillisecond);

void BM_AnnouncementToPanelProperty(benchmark::State& state) {
    toggleToPanel(state, true);
}
BENCHMARK(BM_AnnouncementToPanelProperty)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/tarnwick-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    std::string folder = pattern;
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    auto channel = folder + "/config/xfce4/xfconf/xfce-perchannel-xml";
    std::filesystem::create_directories(channel);
    std::ofstream(channel + "/xfce4-panel.xml") << panelSettings;

    // A bus of our own, whose xfconfd reads and writes the folder above.
    FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    char address[512] = {}, pid[32] = {};
    if (!daemon || !fgets(address, sizeof address, daemon) || !fgets(pid, sizeof pid, daemon)) {
        std::fprintf(stderr, "needs dbus-daemon\n");
        return 1;
    }
    pclose(daemon);
    address[std::strcspn(address, "\n")] = 0;
    setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kill(std::atoi(pid), SIGTERM);
    // xfconfd may still be saving into the folder as the bus goes away.
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
