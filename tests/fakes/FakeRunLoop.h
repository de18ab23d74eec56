#pragma once

#include <deque>
#include <functional>
#include <map>

#include "platform/RunLoop.h"

namespace fakes {

// A run loop on a virtual clock. Time moves only when the test says so or a
// run waits for a timer; nothing ever sleeps.
class FakeRunLoop : public platform::RunLoop {
public:
    double now() const override { return now_; }
    // Runs queued work and due timers, jumping the clock from timer to timer,
    // until stop() is called or nothing is left to do.
    void run() override;
    void stop() override { stopped_ = true; }
    // Runs here never outlive a stop, so ending one ends them all.
    void stopAll() override {
        stopped_ = true;
        allStopped_ = true;
    }
    void runUntil(double deadline) override;
    void post(std::function<void()> work) override { queue_.push_back(std::move(work)); }
    platform::TimerId scheduleTimer(double interval, bool repeats,
                                    std::function<void()> action) override;
    void cancelTimer(platform::TimerId timer) override { timers_.erase(timer); }
    void setTerminationRequestHandler(std::function<void()> handler) override {
        terminationHandler_ = std::move(handler);
    }

    // Runs everything queued for the current moment, without moving time.
    void drain();
    // Moves the clock forward, firing the timers that fall due on the way.
    void advance(double seconds) { runUntil(now_ + seconds); }
    // What SIGTERM does on the real host.
    void requestTermination();
    bool isStopped() const { return stopped_; }
    std::size_t pendingTimers() const { return timers_.size(); }

private:
    struct Timer {
        double fireAt;
        double interval;
        bool repeats;
        std::function<void()> action;
    };
    bool fireNextTimerBefore(double deadline);

    double now_ = 1000.0;
    void enter();
    void leave();

    bool stopped_ = false;
    bool allStopped_ = false;
    int depth_ = 0;
    std::deque<std::function<void()>> queue_;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId nextTimer_ = 1;
    std::function<void()> terminationHandler_;
};

}  // namespace fakes
