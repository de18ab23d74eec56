#include "fakes/FakeRunLoop.h"

#include <limits>

namespace fakes {

void FakeRunLoop::drain() {
    while (!queue_.empty() && !stopped_) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
    }
}

platform::TimerId FakeRunLoop::scheduleTimer(double interval, bool repeats,
                                             std::function<void()> action) {
    auto id = nextTimer_++;
    timers_.emplace(id, Timer{now_ + interval, interval, repeats, std::move(action)});
    return id;
}

bool FakeRunLoop::fireNextTimerBefore(double deadline) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (next == timers_.end() || it->second.fireAt < next->second.fireAt) next = it;
    }
    if (next == timers_.end() || next->second.fireAt > deadline) return false;
    auto timer = next->second;
    now_ = std::max(now_, timer.fireAt);
    if (timer.repeats) {
        next->second.fireAt += timer.interval;
    } else {
        timers_.erase(next);
    }
    timer.action();
    return true;
}

void FakeRunLoop::runUntil(double deadline) {
    enter();
    drain();
    while (!stopped_ && fireNextTimerBefore(deadline)) drain();
    if (!stopped_) now_ = std::max(now_, deadline);
    leave();
}

void FakeRunLoop::run() {
    enter();
    drain();
    while (!stopped_ && fireNextTimerBefore(std::numeric_limits<double>::infinity())) drain();
    leave();
}

void FakeRunLoop::enter() {
    ++depth_;
    stopped_ = allStopped_;
}

// stop() ends the innermost run only: the run around it goes on.
void FakeRunLoop::leave() {
    --depth_;
    if (depth_ == 0) allStopped_ = false;
    if (depth_ > 0 && !allStopped_) stopped_ = false;
}

void FakeRunLoop::requestTermination() {
    if (terminationHandler_) {
        post(terminationHandler_);
    } else {
        post([this] { stop(); });
    }
}

}  // namespace fakes
