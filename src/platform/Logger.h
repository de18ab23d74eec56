#pragma once

// The program's one logger: subsystem the bundle identifier, category "app".
// Every interpolated argument is public, so callers pass finished text.

#include <string_view>

namespace Log {

class Logger {
public:
    explicit Logger(std::string_view category) : category_(category) {}
    // The default level: ordinary events.
    void notice(std::string_view message) const;
    void info(std::string_view message) const;
    void error(std::string_view message) const;

private:
    std::string_view category_;
};

const Logger& app();

}  // namespace Log
