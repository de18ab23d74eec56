#pragma once

// The log: every line to standard error as "<level>: <message>", and to the
// systemd journal, with the subsystem and category as fields, where one runs.

#include <optional>

#include "platform/Log.h"

namespace host {

class HostLog : public platform::Log {
public:
    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view message) override;

private:
    void writeToJournal(platform::LogLevel level, std::string_view subsystem,
                        std::string_view category, std::string_view message);

    // Unknown until the first line tries; then whether the journal took it.
    std::optional<bool> journalAvailable_;
};

}  // namespace host
