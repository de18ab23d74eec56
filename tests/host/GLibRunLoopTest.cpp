#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "host/GLibRunLoop.h"

namespace {

// Every test ends its runs with a deadline, so a fault fails instead of hanging.
constexpr double patience = 5;

class GLibRunLoopTest : public testing::Test {
protected:
    void runBriefly(double seconds) { loop.runUntil(loop.now() + seconds); }

    host::GLibRunLoop loop;
    std::vector<std::string> events;
};

TEST_F(GLibRunLoopTest, PostedWorkRunsInOrderOnLaterTurns) {
    loop.post([&] {
        events.push_back("first");
        loop.post([&] {
            events.push_back("posted from first");
            loop.stop();
        });
    });
    loop.post([&] { events.push_back("second"); });
    EXPECT_TRUE(events.empty());
    runBriefly(patience);
    EXPECT_EQ(events, (std::vector<std::string>{"first", "second", "posted from first"}));
}

TEST_F(GLibRunLoopTest, TimersFireOnceAfterTheirIntervalUnlessCancelled) {
    double start = loop.now();
    double firedAt = 0;
    loop.scheduleTimer(0.05, false, [&] { firedAt = loop.now(); });
    auto cancelled = loop.scheduleTimer(0.02, false, [&] { events.push_back("cancelled"); });
    auto later = loop.scheduleTimer(0.1, false, [&] { loop.stop(); });
    EXPECT_NE(cancelled, later);
    loop.cancelTimer(cancelled);
    runBriefly(patience);
    EXPECT_GE(firedAt - start, 0.049);
    EXPECT_LT(loop.now() - start, 1.0);
    EXPECT_TRUE(events.empty());
    // Fired one-shots are gone; cancelling them is harmless.
    loop.cancelTimer(later);
    loop.cancelTimer(12345);
}

TEST_F(GLibRunLoopTest, RepeatingTimerRepeatsUntilItCancelsItself) {
    int fired = 0;
    platform::TimerId timer = 0;
    timer = loop.scheduleTimer(0.01, true, [&] {
        if (++fired == 3) loop.cancelTimer(timer);
    });
    runBriefly(0.3);
    EXPECT_EQ(fired, 3);
}

TEST_F(GLibRunLoopTest, RunUntilReturnsAtTheDeadlineAndRunsCallbacksMeanwhile) {
    int ticks = 0;
    loop.scheduleTimer(0.01, true, [&] { ++ticks; });
    double start = loop.now();
    loop.runUntil(start + 0.2);
    double elapsed = loop.now() - start;
    EXPECT_GE(elapsed, 0.2);
    EXPECT_LT(elapsed, 1.0);
    EXPECT_GE(ticks, 5);
    // A deadline already past returns at once, after what is due.
    loop.post([&] { events.push_back("due"); });
    start = loop.now();
    loop.runUntil(start - 1);
    EXPECT_LT(loop.now() - start, 0.1);
    EXPECT_EQ(events, std::vector<std::string>{"due"});
}

TEST_F(GLibRunLoopTest, StopEndsOnlyTheInnermostRun) {
    loop.post([&] {
        loop.scheduleTimer(0.02, false, [&] {
            events.push_back("inner stops");
            loop.stop();
        });
        loop.runUntil(loop.now() + patience);
        events.push_back("inner returned");
        loop.post([&] {
            events.push_back("outer still runs");
            loop.stop();
        });
    });
    loop.scheduleTimer(patience, false, [&] {
        events.push_back("outer timed out");
        loop.stop();
    });
    loop.run();
    EXPECT_EQ(events,
              (std::vector<std::string>{"inner stops", "inner returned", "outer still runs"}));
}

TEST_F(GLibRunLoopTest, StopBeforeRunMakesTheNextRunReturnAtOnce) {
    loop.stop();
    double start = loop.now();
    loop.runUntil(start + patience);
    EXPECT_LT(loop.now() - start, 0.5);
    // Consumed: the following run waits as usual.
    start = loop.now();
    loop.runUntil(start + 0.05);
    EXPECT_GE(loop.now() - start, 0.05);
}

TEST_F(GLibRunLoopTest, TerminationSignalsReachTheHandlerOnTheLoop) {
    loop.setTerminationRequestHandler([&] {
        events.push_back("terminate");
        loop.stop();
    });
    std::raise(SIGTERM);
    EXPECT_TRUE(events.empty());
    runBriefly(patience);
    std::raise(SIGINT);
    runBriefly(patience);
    EXPECT_EQ(events, (std::vector<std::string>{"terminate", "terminate"}));
}

TEST_F(GLibRunLoopTest, TerminationWithoutHandlerEndsEveryRun) {
    loop.post([&] {
        loop.post([] { std::raise(SIGTERM); });
        loop.runUntil(loop.now() + patience);
        events.push_back("inner returned");
    });
    double start = loop.now();
    loop.runUntil(start + patience);
    EXPECT_LT(loop.now() - start, 1.0);
    EXPECT_EQ(events, std::vector<std::string>{"inner returned"});
}

}  // namespace
