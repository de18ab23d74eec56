#pragma once

// The running processes of the current user, read from /proc: what the
// desktop's list of running applications is built from.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PropertyValue.h"

namespace host {

struct ProcessEntry {
    int processIdentifier = 0;
    // Absent when the kernel does not tell (kernel threads, another user's
    // process, a process that is ending).
    std::optional<std::string> executablePath;
    char state = '?';  // the state letter of /proc/<pid>/stat
    std::optional<platform::Date> launchDate;
    bool operator==(const ProcessEntry&) const = default;

    // A zombie has ended; only its parent has not collected it yet.
    bool terminated() const { return state == 'Z' || state == 'X' || state == 'x'; }
};

// The two fields we use of /proc/<pid>/stat.
struct ProcessStat {
    char state = '?';
    std::uint64_t startTicks = 0;  // clock ticks after boot
    bool operator==(const ProcessStat&) const = default;
};

// Parsers of /proc texts; absent for text that does not have the field.
std::optional<ProcessStat> parseProcessStat(std::string_view text);
// `btime` of /proc/stat: the boot time in seconds since 1970.
std::optional<std::int64_t> parseBootTime(std::string_view procStat);
// The real user id, the first number of the `Uid:` line of /proc/<pid>/status.
std::optional<uid_t> parseRealUid(std::string_view status);

class ProcessTable {
public:
    // `root` is where proc is mounted; tests pass a folder of their own.
    explicit ProcessTable(std::string root = "/proc");

    // The processes whose real user is this process's, zombies included;
    // processes that end while being read are left out.
    std::vector<ProcessEntry> userProcesses() const;
    // Any user's process; absent when there is none with this id.
    std::optional<ProcessEntry> process(int processIdentifier) const;
    // Gone, or a zombie.
    bool isTerminated(int processIdentifier) const;

private:
    std::optional<platform::Date> dateOfTicks(std::uint64_t ticks) const;
    std::optional<uid_t> ownerOf(const std::string& folder) const;

    std::string root_;
    uid_t user_;
    // Read once: the kernel derives btime from the clock and the uptime, so it
    // can move by a second between reads, and a process's launch date must not.
    std::optional<std::int64_t> bootTime_;
    long ticksPerSecond_;
};

}  // namespace host
