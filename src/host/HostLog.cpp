#include "host/HostLog.h"

#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace host {
namespace {

// One write(2) per line, so lines of concurrent writers never interleave.
void writeLine(const std::string& line) {
    std::size_t written = 0;
    while (written < line.size()) {
        auto count = ::write(STDERR_FILENO, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        written += static_cast<std::size_t>(count);
    }
}

const char* journalPriority(platform::LogLevel level) {
    switch (level) {
        case platform::LogLevel::defaultLevel:
            return "5";  // notice
        case platform::LogLevel::info:
            return "6";
        case platform::LogLevel::error:
            return "3";
    }
    return "5";
}

GLogLevelFlags glibLevel(platform::LogLevel level) {
    switch (level) {
        case platform::LogLevel::defaultLevel:
            return G_LOG_LEVEL_MESSAGE;
        case platform::LogLevel::info:
            return G_LOG_LEVEL_INFO;
        case platform::LogLevel::error:
            return G_LOG_LEVEL_CRITICAL;
    }
    return G_LOG_LEVEL_MESSAGE;
}

GLogField field(const char* key, std::string_view value) {
    return {key, value.data(), static_cast<gssize>(value.size())};
}

}  // namespace

void HostLog::write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
                    std::string_view message) {
    std::string line(platform::logLevelName(level));
    line.append(": ").append(message).append("\n");
    writeLine(line);
    writeToJournal(level, subsystem, category, message);
}

// Straight to GLib's journald writer rather than g_log_structured_array: the
// installed writer would fall back to printing on standard error, which has
// the line already.
void HostLog::writeToJournal(platform::LogLevel level, std::string_view subsystem,
                             std::string_view category, std::string_view message) {
    if (journalAvailable_ == false) return;
    const GLogField fields[] = {
        field("MESSAGE", message),        field("PRIORITY", journalPriority(level)),
        field("SUBSYSTEM", subsystem),    field("CATEGORY", category),
        field("GLIB_DOMAIN", "Tarnwick"),
    };
    auto result = g_log_writer_journald(glibLevel(level), fields, G_N_ELEMENTS(fields), nullptr);
    if (!journalAvailable_) journalAvailable_ = result == G_LOG_WRITER_HANDLED;
}

}  // namespace host
