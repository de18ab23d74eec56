#pragma once

// Runs an external program without a shell and collects what it prints on
// standard output, waiting no longer than a limit. Standard error goes to the
// null device.

#include <string>
#include <variant>
#include <vector>

namespace platform {

namespace ToolOutcomes {
// The program could not be started (missing, not executable, ...).
struct LaunchFailed {
    bool operator==(const LaunchFailed&) const = default;
};
// The limit passed first; the program was terminated and its output dropped.
struct TimedOut {
    bool operator==(const TimedOut&) const = default;
};
// The program ended by itself. A program killed by a signal has a non-zero
// status.
struct Exited {
    int status = 0;
    std::string output;  // raw bytes, not checked for any encoding
    bool operator==(const Exited&) const = default;
};
}  // namespace ToolOutcomes

using ToolOutcome = std::variant<ToolOutcomes::LaunchFailed, ToolOutcomes::TimedOut, ToolOutcomes::Exited>;

class ToolRunner {
public:
    virtual ~ToolRunner() = default;

    // Blocks the calling thread for at most `timeoutSeconds` (plus the moment
    // it takes to end a program that overran).
    virtual ToolOutcome run(const std::string& path, const std::vector<std::string>& arguments,
                            double timeoutSeconds) = 0;
};

}  // namespace platform
