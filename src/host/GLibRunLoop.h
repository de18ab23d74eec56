#pragma once

// The main run loop on GLib's default main context. Everything GLib-based in
// the host (D-Bus, GIO) dispatches on the same context, so one loop drives
// them all.

#include <functional>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/RunLoop.h"

namespace host {

class GLibRunLoop : public platform::RunLoop {
public:
    // Installs the SIGTERM and SIGINT handlers; the destructor removes them.
    GLibRunLoop();
    ~GLibRunLoop() override;
    GLibRunLoop(const GLibRunLoop&) = delete;
    GLibRunLoop& operator=(const GLibRunLoop&) = delete;

    double now() const override;

    // Runs nest: a run() or runUntil() started from a callback is a new level
    // on top of the running one. stop() ends the innermost level only, so a
    // modal run can end without ending the program. A stop() while nothing
    // runs makes the next run return at once, so a request to end that comes
    // before the loop starts is not lost.
    void run() override;
    void stop() override;
    void stopAll() override;
    void runUntil(double deadline) override;

    void post(std::function<void()> work) override;
    platform::TimerId scheduleTimer(double interval, bool repeats,
                                    std::function<void()> action) override;
    void cancelTimer(platform::TimerId timer) override;

    // SIGTERM and SIGINT call the handler on the loop. Ending the process at
    // once instead (when sudden termination is allowed, see HostProcessInfo)
    // is not done here yet; every request takes the terminate path.
    void setTerminationRequestHandler(std::function<void()> handler) override;

private:
    struct Timer {
        unsigned source = 0;
        bool repeats = false;
        // Shared so that cancelling from inside the action leaves it alive.
        std::shared_ptr<std::function<void()>> action;
    };
    struct Level;  // one running GMainLoop
    struct PostedWork;
    struct TimerRef;

    void runLevel(const double* deadline);
    void requestTermination();

    static int dispatchPost(void* data);
    static int fireTimer(void* data);
    static int onTerminationSignal(void* data);

    std::vector<Level*> levels_;  // innermost last
    bool pendingStop_ = false;
    std::unordered_set<unsigned> pendingPosts_;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId nextTimer_ = 1;
    std::function<void()> terminationHandler_;
    std::vector<unsigned> signalSources_;
};

}  // namespace host
