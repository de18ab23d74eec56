// The settings window of the real program: opened once at first launch, and
// pictured in snapshot mode beside a running copy.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "e2e/Tarnwick.h"
#include "support/Process.h"

namespace {

constexpr const char* shownLine =
    "default: Settings window shown: visible=true key=true onScreen=true";

// A PNG's width and height from its header.
std::pair<int, int> pngSize(const std::string& path) {
    std::string data = support::readFile(path);
    if (data.size() < 24 || data.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](std::size_t at) {
        return (static_cast<unsigned char>(data[at]) << 24) |
               (static_cast<unsigned char>(data[at + 1]) << 16) |
               (static_cast<unsigned char>(data[at + 2]) << 8) |
               static_cast<unsigned char>(data[at + 3]);
    };
    return {word(16), word(20)};
}

TEST(SettingsEndToEnd, TheFirstLaunchOpensTheWindowOnceAfterTheLaunchLine) {
    support::TemporaryDirectory home;
    auto first = e2e::launch(home.path());
    ASSERT_TRUE(first->waitForStderr(shownLine)) << first->stderrText();
    const auto& log = first->stderrText();
    EXPECT_LT(log.find("Tarnwick launched"), log.find(shownLine));
    first->signal(SIGTERM);
    EXPECT_EQ(first->wait(), 0);

    auto second = e2e::launch(home.path());
    EXPECT_FALSE(second->waitForStderr("Settings window shown", std::chrono::milliseconds(1500)));
    second->signal(SIGTERM);
    EXPECT_EQ(second->wait(), 0);
}

TEST(SettingsEndToEnd, ASnapshotRunPicturesTheWindowBesideARunningCopyAndEnds) {
    support::TemporaryDirectory home;
    auto running = e2e::launch(home.path());
    ASSERT_TRUE(running->waitForStderr(shownLine)) << running->stderrText();

    std::string folder = home.path() + "/pictures/of/settings";
    auto snapshot = e2e::launch(home.path(), {{"TARNWICK_SNAPSHOT_DIR", folder}});
    EXPECT_EQ(snapshot->wait(std::chrono::seconds(15)), 0) << snapshot->stderrText();
    const auto& log = snapshot->stderrText();
    EXPECT_NE(log.find("default: Snapshot written to " + folder + "/settings.png\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("default: Snapshot written to " + folder + "/shortcut.png\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("older copy"), std::string::npos);

    auto [width, height] = pngSize(folder + "/settings.png");
    EXPECT_GT(width, 800);
    EXPECT_GT(height, 800);
    EXPECT_EQ(pngSize(folder + "/shortcut.png"), std::make_pair(width, height));

    // The running copy was neither asked to quit nor disturbed.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(running->stderrText().find("Quitting"), std::string::npos);
    running->signal(SIGTERM);
    EXPECT_EQ(running->wait(), 0);
}

}  // namespace
