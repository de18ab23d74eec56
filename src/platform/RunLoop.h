#pragma once

// The main thread's run loop: the main queue, timers, nested runs until a
// date, and the request to end the program that arrives from outside (a
// termination signal on Linux).

#include <cstdint>
#include <functional>

namespace platform {

using TimerId = std::uint64_t;

class RunLoop {
public:
    virtual ~RunLoop() = default;

    // Seconds on a monotonic clock; only differences mean anything.
    virtual double now() const = 0;

    // Runs until stop() is called.
    virtual void run() = 0;
    // Ends the innermost run only: a modal run ends, the program goes on.
    virtual void stop() = 0;
    // Ends every run, nested ones included: the program is ending.
    virtual void stopAll() = 0;

    // Runs the loop until `deadline` (a now() value) has passed or stop() is
    // called, whichever comes first. Callbacks run meanwhile as usual.
    virtual void runUntil(double deadline) = 0;

    // Queues work for a later turn of the loop, in order.
    virtual void post(std::function<void()> work) = 0;

    // Fires `action` after `interval` seconds, and again every `interval`
    // when `repeats`. Ids are never reused, so cancelling a fired one-shot
    // timer is harmless.
    virtual TimerId scheduleTimer(double interval, bool repeats, std::function<void()> action) = 0;
    virtual void cancelTimer(TimerId timer) = 0;

    // Called on the loop when the program is asked to end from outside
    // (SIGTERM, SIGINT). Without a handler such a request stops the loop.
    virtual void setTerminationRequestHandler(std::function<void()> handler) = 0;
};

}  // namespace platform
