#pragma once

// The system log. Lines carry a subsystem and a category; every argument the
// program interpolates is public, so a line is simply its finished text.

#include <string_view>

namespace platform {

enum class LogLevel { defaultLevel, info, error };

// The word for a level as it appears in the log: "default", "info", "error".
std::string_view logLevelName(LogLevel level);

class Log {
public:
    virtual ~Log() = default;
    virtual void write(LogLevel level, std::string_view subsystem, std::string_view category,
                       std::string_view message) = 0;
};

}  // namespace platform
