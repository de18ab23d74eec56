#include "platform/Logger.h"

#include "platform/Platform.h"

namespace Log {
namespace {

void write(platform::LogLevel level, std::string_view category, std::string_view message) {
    auto& platform = platform::current();
    platform.log.write(level, platform.processInfo.mainBundle().identifier, category, message);
}

}  // namespace

void Logger::notice(std::string_view message) const {
    write(platform::LogLevel::defaultLevel, category_, message);
}

void Logger::info(std::string_view message) const {
    write(platform::LogLevel::info, category_, message);
}

void Logger::error(std::string_view message) const {
    write(platform::LogLevel::error, category_, message);
}

const Logger& app() {
    static const Logger logger("app");
    return logger;
}

}  // namespace Log
