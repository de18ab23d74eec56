#include "host/GLibRunLoop.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <limits>

namespace host {

struct GLibRunLoop::Level {
    GMainLoop* loop;
};

struct GLibRunLoop::PostedWork {
    GLibRunLoop* runLoop;
    std::function<void()> work;
};

struct GLibRunLoop::TimerRef {
    GLibRunLoop* runLoop;
    platform::TimerId id;
};

namespace {

gint64 microseconds(double seconds) {
    return static_cast<gint64>(std::llround(seconds * 1e6));
}

guint milliseconds(double seconds) {
    if (!(seconds > 0)) return 0;
    double ms = std::round(seconds * 1000);
    return ms >= std::numeric_limits<guint>::max() ? std::numeric_limits<guint>::max()
                                                   : static_cast<guint>(ms);
}

gboolean dispatchDeadline(GSource*, GSourceFunc callback, gpointer data) {
    return callback(data);
}

GSourceFuncs deadlineFuncs = {nullptr, nullptr, dispatchDeadline, nullptr, nullptr, nullptr};

gboolean quitLoop(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

// Becomes ready at a monotonic time given to the microsecond; a timeout
// source would round the deadline to whole milliseconds from "now".
GSource* deadlineSource(double deadline, GMainLoop* loop) {
    GSource* source = g_source_new(&deadlineFuncs, sizeof(GSource));
    g_source_set_ready_time(source, std::max<gint64>(0, microseconds(deadline)));
    g_source_set_callback(source, quitLoop, loop, nullptr);
    return source;
}

}  // namespace

GLibRunLoop::GLibRunLoop() {
    for (int signal : {SIGTERM, SIGINT}) {
        signalSources_.push_back(g_unix_signal_add(signal, onTerminationSignal, this));
    }
}

GLibRunLoop::~GLibRunLoop() {
    for (auto source : signalSources_) g_source_remove(source);
    for (auto source : pendingPosts_) g_source_remove(source);
    for (auto& [id, timer] : timers_) g_source_remove(timer.source);
}

double GLibRunLoop::now() const {
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

void GLibRunLoop::run() {
    runLevel(nullptr);
}

void GLibRunLoop::runUntil(double deadline) {
    runLevel(&deadline);
}

void GLibRunLoop::runLevel(const double* deadline) {
    if (pendingStop_) {
        pendingStop_ = false;
        return;
    }
    Level level{g_main_loop_new(nullptr, FALSE)};
    GSource* timeLimit = nullptr;
    if (deadline) {
        timeLimit = deadlineSource(*deadline, level.loop);
        g_source_attach(timeLimit, nullptr);
    }
    levels_.push_back(&level);
    g_main_loop_run(level.loop);
    levels_.pop_back();
    if (timeLimit) {
        g_source_destroy(timeLimit);
        g_source_unref(timeLimit);
    }
    g_main_loop_unref(level.loop);
}

void GLibRunLoop::stop() {
    if (levels_.empty()) {
        pendingStop_ = true;
        return;
    }
    g_main_loop_quit(levels_.back()->loop);
}

void GLibRunLoop::stopAll() {
    if (levels_.empty()) pendingStop_ = true;
    for (auto* level : levels_) g_main_loop_quit(level->loop);
}

// One idle source per post: sources of equal priority dispatch in the order
// they were added, and work posted from inside a nested run still runs there,
// which a single draining source (blocked while it dispatches) would not do.
void GLibRunLoop::post(std::function<void()> work) {
    auto* posted = new PostedWork{this, std::move(work)};
    auto source = g_idle_add_full(G_PRIORITY_DEFAULT, dispatchPost, posted,
                                  [](gpointer data) { delete static_cast<PostedWork*>(data); });
    pendingPosts_.insert(source);
}

int GLibRunLoop::dispatchPost(void* data) {
    auto* posted = static_cast<PostedWork*>(data);
    posted->runLoop->pendingPosts_.erase(g_source_get_id(g_main_current_source()));
    posted->work();
    return G_SOURCE_REMOVE;
}

platform::TimerId GLibRunLoop::scheduleTimer(double interval, bool repeats,
                                             std::function<void()> action) {
    auto id = nextTimer_++;
    auto* ref = new TimerRef{this, id};
    auto source = g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds(interval), fireTimer, ref,
                                     [](gpointer data) { delete static_cast<TimerRef*>(data); });
    timers_.emplace(
        id, Timer{source, repeats, std::make_shared<std::function<void()>>(std::move(action))});
    return id;
}

void GLibRunLoop::cancelTimer(platform::TimerId timer) {
    auto found = timers_.find(timer);
    if (found == timers_.end()) return;
    g_source_remove(found->second.source);
    timers_.erase(found);
}

int GLibRunLoop::fireTimer(void* data) {
    auto* ref = static_cast<TimerRef*>(data);
    auto& timers = ref->runLoop->timers_;
    auto found = timers.find(ref->id);
    if (found == timers.end()) return G_SOURCE_REMOVE;
    auto action = found->second.action;
    if (!found->second.repeats) {
        // Forgotten before it runs: cancelling it from inside is harmless.
        timers.erase(found);
        (*action)();
        return G_SOURCE_REMOVE;
    }
    (*action)();
    return timers.contains(ref->id) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void GLibRunLoop::setTerminationRequestHandler(std::function<void()> handler) {
    terminationHandler_ = std::move(handler);
}

int GLibRunLoop::onTerminationSignal(void* data) {
    static_cast<GLibRunLoop*>(data)->requestTermination();
    return G_SOURCE_CONTINUE;
}

void GLibRunLoop::requestTermination() {
    if (!terminationHandler_) {
        // Nobody to ask: end the program's run, modal runs included.
        stopAll();
        return;
    }
    auto handler = terminationHandler_;
    handler();
}

}  // namespace host
