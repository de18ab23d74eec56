#include "housekeeping/SingleInstance.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "kit/Application.h"
#include "platform/Logger.h"
#include "platform/Platform.h"

namespace SingleInstance {

namespace {

using platform::RunningApplication;

// The observation lives as long as the process; a token belongs to the centre
// that issued it, so a new one only releases an old one of the same centre.
struct Observation {
    platform::DistributedNotificationCenter* center = nullptr;
    platform::ObserverId id = 0;
};
std::optional<Observation> observation;

void terminateApplication() {
    if (auto* application = kit::Application::existing()) application->terminate(nullptr);
}

bool isTerminating() {
    auto* application = kit::Application::existing();
    return application && application->isTerminating();
}

std::string pidText(int pid) {
    return std::to_string(pid);
}

void handleQuitRequest(const std::optional<std::string>& object, int ownPid) {
    if (!object || object->empty()) return;
    auto requester = parseProcessIdentifier(*object);
    if (!requester) return;
    // Every copy hears its own request too.
    if (*requester == ownPid) return;
    Log::app().notice("Quitting: replaced by a newer copy (pid " + pidText(*requester) + ")");
    terminateApplication();
}

void observeQuitRequests(int ownPid) {
    auto& center = platform::current().distributedNotifications;
    if (observation && observation->center == &center) center.removeObserver(observation->id);
    auto id = center.addObserver(quitRequest, [ownPid](const std::string&, const auto& object) {
        handleQuitRequest(object, ownPid);
    });
    observation = Observation{&center, id};
}

std::vector<RunningApplication> otherCopies(const RunningApplication& current) {
    auto copies = platform::current().workspace.runningApplications(*current.bundleIdentifier);
    std::erase_if(copies, [&](const RunningApplication& copy) {
        return copy.processIdentifier == current.processIdentifier;
    });
    return copies;
}

// Asks older copies to quit and answers them; quits when a newer one runs.
std::vector<RunningApplication> dealWithCopies(const RunningApplication& current) {
    std::vector<RunningApplication> waiting;
    for (const auto& copy : otherCopies(current)) {
        if (launchedBefore(copy, current)) {
            Log::app().notice("Asking older copy (pid " + pidText(copy.processIdentifier) +
                              ") to quit");
            platform::current().distributedNotifications.post(
                quitRequest, pidText(current.processIdentifier), true);
            waiting.push_back(copy);
            continue;
        }
        Log::app().notice("A newer copy (pid " + pidText(copy.processIdentifier) +
                          ") is already running; quitting");
        terminateApplication();
    }
    return waiting;
}

bool someStillRunning(const std::vector<RunningApplication>& copies) {
    auto& workspace = platform::current().workspace;
    return std::any_of(copies.begin(), copies.end(), [&](const RunningApplication& copy) {
        return !workspace.isTerminated(copy.processIdentifier);
    });
}

void waitForQuit(const std::vector<RunningApplication>& copies) {
    auto& runLoop = platform::current().runLoop;
    double deadline = runLoop.now() + quitTimeout;
    // Once this copy is ending, its run loop no longer runs, and waiting
    // would only spin.
    while (someStillRunning(copies) && runLoop.now() < deadline && !isTerminating()) {
        runLoop.runUntil(runLoop.now() + waitSlice);
    }
}

void reportStragglers(const std::vector<RunningApplication>& copies) {
    auto& workspace = platform::current().workspace;
    for (const auto& copy : copies) {
        if (workspace.isTerminated(copy.processIdentifier)) continue;
        Log::app().error("Older copy (pid " + pidText(copy.processIdentifier) +
                         ") did not quit in time");
    }
}

}  // namespace

bool launchedBefore(const RunningApplication& a, const RunningApplication& b) {
    if (a.launchDate && b.launchDate && *a.launchDate != *b.launchDate) {
        return a.launchDate->secondsSinceReferenceDate < b.launchDate->secondsSinceReferenceDate;
    }
    return a.processIdentifier < b.processIdentifier;
}

std::optional<int> parseProcessIdentifier(std::string_view text) {
    // from_chars takes a minus sign but no plus sign and no spaces.
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return std::nullopt;
    }
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool enforce() {
    auto current = platform::current().workspace.currentApplication();
    if (!current.bundleIdentifier) return false;
    observeQuitRequests(current.processIdentifier);
    auto waiting = dealWithCopies(current);
    if (waiting.empty()) return false;
    waitForQuit(waiting);
    // A copy that is ending stopped waiting early; "in time" would be untrue.
    if (!isTerminating()) reportStragglers(waiting);
    return true;
}

}  // namespace SingleInstance
