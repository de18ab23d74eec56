#pragma once

// External programs started with posix_spawn (no shell). Standard output is
// read to its end on a worker thread while the caller waits for it with a
// limit; a program that overruns is sent SIGTERM, then SIGKILL if it lingers,
// and reaped. The worker outlives a time-out on its own (it holds its state
// itself) and ends when the pipe closes.

#include "platform/ToolRunner.h"

namespace host {

class ProcessToolRunner : public platform::ToolRunner {
public:
    platform::ToolOutcome run(const std::string& path, const std::vector<std::string>& arguments,
                              double timeoutSeconds) override;
};

}  // namespace host
