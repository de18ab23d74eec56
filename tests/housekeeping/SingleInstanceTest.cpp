#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "housekeeping/SingleInstance.h"
#include "kit/Application.h"

namespace {

using platform::RunningApplication;

class SingleInstanceTest : public fakes::PlatformTest {
protected:
    static RunningApplication copy(int pid, std::optional<double> launched = std::nullopt) {
        RunningApplication application;
        application.processIdentifier = pid;
        application.bundleIdentifier = "app.tarnwick.Tarnwick";
        if (launched) application.launchDate = platform::Date{*launched};
        return application;
    }
    void exitsAfter(int pid, double seconds) {
        fake.runLoop.scheduleTimer(seconds, false,
                                   [this, pid] { fake.workspace.terminated.insert(pid); });
    }
    // Runs enforce(), keeps what it told and answers how long it blocked.
    double enforceTimed() {
        double start = fake.runLoop.now();
        replacedACopy = SingleInstance::enforce();
        return fake.runLoop.now() - start;
    }
    void requestArrives(std::optional<std::string> object) {
        fake.notifications.receive(SingleInstance::quitRequest, std::move(object));
        fake.runLoop.drain();
    }
    std::size_t requestsPosted() {
        return fake.notifications.postedCount(SingleInstance::quitRequest);
    }

    kit::Application app;
    bool replacedACopy = false;
};

TEST_F(SingleInstanceTest, TheOnlyCopyDoesNothingVisible) {
    EXPECT_EQ(enforceTimed(), 0.0);
    EXPECT_FALSE(replacedACopy);
    EXPECT_TRUE(fake.log.lines.empty());
    EXPECT_EQ(requestsPosted(), 0u);
    EXPECT_FALSE(app.isTerminating());
}

TEST_F(SingleInstanceTest, OrderIsByLaunchDateThenBySmallerProcessIdentifier) {
    EXPECT_TRUE(SingleInstance::launchedBefore(copy(900, 10), copy(100, 20)));
    EXPECT_FALSE(SingleInstance::launchedBefore(copy(100, 20), copy(900, 10)));
    EXPECT_TRUE(SingleInstance::launchedBefore(copy(100, 10), copy(900, 10)));
    EXPECT_FALSE(SingleInstance::launchedBefore(copy(900, 10), copy(100, 10)));
    EXPECT_TRUE(SingleInstance::launchedBefore(copy(100, 30), copy(900)));
    EXPECT_TRUE(SingleInstance::launchedBefore(copy(100), copy(900, 5)));
    EXPECT_FALSE(SingleInstance::launchedBefore(copy(100), copy(100)));
}

TEST_F(SingleInstanceTest, ARequestNamesAProcessOnlyInStrictDecimal) {
    using SingleInstance::parseProcessIdentifier;
    EXPECT_EQ(parseProcessIdentifier("123"), 123);
    EXPECT_EQ(parseProcessIdentifier("+123"), 123);
    EXPECT_EQ(parseProcessIdentifier("-7"), -7);
    EXPECT_EQ(parseProcessIdentifier("2147483647"), 2147483647);
    EXPECT_EQ(parseProcessIdentifier("-2147483648"), -2147483647 - 1);
    for (const char* malformed : {"", "-", "+", "1 2", " 12", "12 ", "+-1", "--1", "12a", "0x10",
                                  "2147483648", "-2147483649"}) {
        EXPECT_EQ(parseProcessIdentifier(malformed), std::nullopt) << '"' << malformed << '"';
    }
}

TEST_F(SingleInstanceTest, ARequestFromAnotherCopyEndsThisOneAndMalformedOnesAreIgnored) {
    SingleInstance::enforce();
    for (std::optional<std::string> ignored :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("1 2"), std::optional<std::string>("-"),
          std::optional<std::string>("4242")}) {
        requestArrives(ignored);
    }
    EXPECT_TRUE(fake.log.lines.empty());
    EXPECT_FALSE(app.isTerminating());

    requestArrives("+123");
    EXPECT_EQ(fake.log.messages(),
              std::vector<std::string>{"Quitting: replaced by a newer copy (pid 123)"});
    EXPECT_TRUE(app.isTerminating());
}

TEST_F(SingleInstanceTest, EnforcingAgainStillAnswersARequestOnce) {
    SingleInstance::enforce();
    SingleInstance::enforce();
    requestArrives("123");
    EXPECT_EQ(fake.log.count("Quitting: replaced by a newer copy (pid 123)"), 1u);
}

TEST_F(SingleInstanceTest, WithoutABundleIdentifierNothingIsEnforced) {
    fake.workspace.current.bundleIdentifier.reset();
    fake.workspace.running = {copy(100)};
    SingleInstance::enforce();
    requestArrives("123");
    EXPECT_TRUE(fake.log.lines.empty());
    EXPECT_EQ(requestsPosted(), 0u);
    EXPECT_FALSE(app.isTerminating());
}

TEST_F(SingleInstanceTest, AnOlderCopyThatQuitsEndsTheWaitAtOnce) {
    fake.workspace.running = {copy(100)};
    exitsAfter(100, 1.0);
    EXPECT_NEAR(enforceTimed(), 1.0, SingleInstance::waitSlice + 1e-9);
    EXPECT_TRUE(replacedACopy);

    EXPECT_EQ(fake.log.messages(), std::vector<std::string>{"Asking older copy (pid 100) to quit"});
    ASSERT_EQ(requestsPosted(), 1u);
    EXPECT_EQ(fake.notifications.posted[0].object, "4242");
    EXPECT_TRUE(fake.notifications.posted[0].deliverImmediately);
    // Its own request came back during the wait and was ignored.
    EXPECT_FALSE(app.isTerminating());
}

TEST_F(SingleInstanceTest, AnOlderCopyThatStaysIsReportedAfterThreeSeconds) {
    fake.workspace.running = {copy(100, 50), copy(200, 60)};
    fake.workspace.current.launchDate = platform::Date{70};
    exitsAfter(200, 0.5);
    EXPECT_NEAR(enforceTimed(), 3.0, SingleInstance::waitSlice + 1e-9);

    EXPECT_EQ(requestsPosted(), 2u);
    EXPECT_EQ(fake.log.count("Older copy (pid 200) did not quit in time"), 0u);
    EXPECT_EQ(fake.log.count("Older copy (pid 100) did not quit in time"), 1u);
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::error);
    EXPECT_FALSE(app.isTerminating());
}

TEST_F(SingleInstanceTest, ACopyThatFindsANewerOneQuitsWithoutTakingOver) {
    // Equal launch dates: the larger process identifier is the newer copy.
    fake.workspace.current.launchDate = platform::Date{70};
    fake.workspace.running = {copy(5000, 70)};
    EXPECT_EQ(enforceTimed(), 0.0);
    EXPECT_EQ(fake.log.messages(),
              std::vector<std::string>{"A newer copy (pid 5000) is already running; quitting"});
    EXPECT_EQ(requestsPosted(), 0u);
    EXPECT_TRUE(app.isTerminating());
}

TEST_F(SingleInstanceTest, ACopyThatIsEndingStopsWaiting) {
    fake.workspace.running = {copy(100)};
    fake.runLoop.scheduleTimer(
        0.5, false, [this] { fake.notifications.receive(SingleInstance::quitRequest, "9000"); });
    EXPECT_LT(enforceTimed(), 0.6);
    EXPECT_TRUE(app.isTerminating());
    EXPECT_EQ(fake.log.count("Older copy (pid 100) did not quit in time"), 0u)
        << "it did not wait the full time";
}

TEST_F(SingleInstanceTest, ACopyBetweenAnOlderAndANewerOneAsksQuitsAndDoesNotWait) {
    fake.workspace.running = {copy(100), copy(9000)};
    EXPECT_EQ(enforceTimed(), 0.0);
    EXPECT_TRUE(app.isTerminating());
    EXPECT_EQ(fake.log.messages(),
              (std::vector<std::string>{"Asking older copy (pid 100) to quit",
                                        "A newer copy (pid 9000) is already running; quitting"}));
}

}  // namespace
