#include "kit/Application.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "kit/NotificationCenter.h"

namespace {

struct LaunchRecorder : kit::ApplicationDelegate {
    void applicationDidFinishLaunching() override { ++launches; }
    int launches = 0;
};

class ApplicationTest : public fakes::PlatformTest {
protected:
    kit::Application app;
    LaunchRecorder delegate;
};

TEST_F(ApplicationTest, LaunchFinishesOnTheFirstTurnOfTheLoop) {
    app.setDelegate(&delegate);
    fake.runLoop.post([this] {
        EXPECT_EQ(delegate.launches, 1);
        fake.runLoop.stop();
    });
    app.run();
    EXPECT_EQ(delegate.launches, 1);
}

TEST_F(ApplicationTest, ARequestFromOutsideEndsThroughWillTerminateOnce) {
    app.setDelegate(&delegate);
    std::vector<std::string> order;
    auto observer = kit::NotificationCenter::defaultCenter().addObserver(
        kit::Application::willTerminateNotification, [&] { order.push_back("will terminate"); });
    fake.runLoop.scheduleTimer(5, false, [&] {
        fake.runLoop.requestTermination();
        fake.runLoop.requestTermination();
    });
    fake.runLoop.scheduleTimer(10, false, [&] { order.push_back("still running"); });
    app.run();
    kit::NotificationCenter::defaultCenter().removeObserver(observer);
    EXPECT_EQ(order, std::vector<std::string>{"will terminate"});
}

TEST_F(ApplicationTest, AnExplicitTargetIsTheOnlyOneAsked) {
    struct Target : kit::Responder {
        bool tryToPerform(const kit::Action& action, kit::Responder*) override {
            return action == "terminate:";
        }
    } target;
    EXPECT_TRUE(app.sendAction("terminate:", &target, nullptr));
    EXPECT_FALSE(app.isTerminating());
}

}  // namespace
