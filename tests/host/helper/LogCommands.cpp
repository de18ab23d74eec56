// Log scenarios for the host tests.

#include <string>

#include "Commands.h"
#include "host/HostLog.h"

namespace {

// log LEVEL MESSAGE: writes one line through the host log.
helper::HelperCommand logCommand("log", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) return 2;
    auto level = platform::LogLevel::defaultLevel;
    if (arguments[0] == "info") level = platform::LogLevel::info;
    if (arguments[0] == "error") level = platform::LogLevel::error;
    host::HostLog log;
    log.write(level, "app.tarnwick.Tarnwick", "app", arguments[1]);
    return 0;
});

}  // namespace
