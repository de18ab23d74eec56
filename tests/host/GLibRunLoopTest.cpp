#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "host/GLibRunLoop.h"

namespace {

// Every test ends its runs with a deadline, so a fault fails instead of hanging.
constexpr double patience = 5;

class GLibRunLoopTest : public testing::Test {
protected:
    // Runs until `seconds` from now; answers how long that took.
    double runFor(double seconds) {
        double start = loop.now();
        loop.runUntil(start + seconds);
        return loop.now() - start;
    }
    // Work that notes `event` and, when asked, then stops the innermost run.
    std::function<void()> note(const std::string& event, bool thenStop = false) {
        return [=, this] {
            events.push_back(event);
            if (thenStop) loop.stop();
        };
    }

    host::GLibRunLoop loop;
    std::vector<std::string> events;
};

TEST_F(GLibRunLoopTest, PostedWorkRunsInOrderAndTimersOnceAfterTheirIntervalOnLaterTurns) {
    double start = loop.now(), firedAt = 0;
    loop.post([&] {
        events.push_back("first");
        loop.post(note("posted from first"));
    });
    loop.post(note("second"));
    loop.scheduleTimer(0.05, false, [&] { firedAt = loop.now(); });
    auto cancelled = loop.scheduleTimer(0.02, false, note("cancelled"));
    auto later = loop.scheduleTimer(0.1, false, [&] { loop.stop(); });
    EXPECT_NE(cancelled, later);
    loop.cancelTimer(cancelled);
    EXPECT_TRUE(events.empty());
    EXPECT_LT(runFor(patience), 1.0);
    EXPECT_EQ(events, (std::vector<std::string>{"first", "second", "posted from first"}));
    EXPECT_GE(firedAt - start, 0.049);
    // Fired one-shots are gone; cancelling them is harmless.
    loop.cancelTimer(later);
    loop.cancelTimer(12345);
}

TEST_F(GLibRunLoopTest, RunUntilReturnsAtTheDeadlineAndRepeatingTimersFireMeanwhile) {
    int ticks = 0, untilCancelled = 0;
    loop.scheduleTimer(0.01, true, [&] { ++ticks; });
    platform::TimerId timer = loop.scheduleTimer(0.01, true, [&] {
        if (++untilCancelled == 3) loop.cancelTimer(timer);
    });
    double elapsed = runFor(0.2);
    EXPECT_GE(elapsed, 0.2);
    EXPECT_LT(elapsed, 1.0);
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(untilCancelled, 3);
    // A deadline already past returns at once, after what is due.
    loop.post(note("due"));
    EXPECT_LT(runFor(-1), 0.1);
    EXPECT_EQ(events, std::vector<std::string>{"due"});
}

TEST_F(GLibRunLoopTest, StopEndsOnlyTheInnermostRunOrTheNextOneToStart) {
    loop.post([&] {
        loop.scheduleTimer(0.02, false, note("inner stops", true));
        loop.runUntil(loop.now() + patience);
        events.push_back("inner returned");
        loop.post(note("outer still runs", true));
    });
    auto timeout = loop.scheduleTimer(patience, false, note("outer timed out", true));
    loop.run();
    loop.cancelTimer(timeout);
    EXPECT_EQ(events,
              (std::vector<std::string>{"inner stops", "inner returned", "outer still runs"}));

    // A stop before any run makes the next run return at once, and only that one.
    loop.stop();
    EXPECT_LT(runFor(patience), 0.5);
    EXPECT_GE(runFor(0.05), 0.05);
}

TEST_F(GLibRunLoopTest, TerminationSignalsEndEveryRunOrReachTheHandlerOnTheLoop) {
    // Without a handler, every run ends.
    loop.post([&] {
        loop.post([] { std::raise(SIGTERM); });
        loop.runUntil(loop.now() + patience);
        events.push_back("inner returned");
    });
    EXPECT_LT(runFor(patience), 1.0);
    EXPECT_EQ(events, std::vector<std::string>{"inner returned"});

    events.clear();
    loop.setTerminationRequestHandler(note("terminate", true));
    std::raise(SIGTERM);
    EXPECT_TRUE(events.empty());
    runFor(patience);
    std::raise(SIGINT);
    runFor(patience);
    EXPECT_EQ(events, (std::vector<std::string>{"terminate", "terminate"}));
}

}  // namespace
