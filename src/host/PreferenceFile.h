#pragma once

// Reading one preference domain's file. Other programs write the same files,
// some of them in place: a read that finds a file empty or cut short just
// after it changed is tried again. Files over a size limit are not read at
// all. Reads for lookups are parsed again only when the file changed.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/DurableFile.h"
#include "platform/PropertyValue.h"

namespace host {

// Larger files are left alone: read as empty and never rewritten.
inline constexpr std::uint64_t maximumPreferenceFileBytes = 16 * 1024 * 1024;

struct PreferenceFileState {
    ReadResult result = ReadResult::missing;
    bool empty = true;
    std::uint64_t tooLargeBytes = 0;  // the file's size when over the limit
    bool torn = false;                // empty or unparsable even after retries, and still changing
    std::optional<unsigned> mode;     // its permissions, when it is there
    std::optional<platform::PropertyDictionary> values;  // when it parsed as a dictionary
};

// What the file holds now, for a writer that merges into it.
PreferenceFileState readPreferenceFile(const std::string& path);

// The files' dictionaries as last parsed, for lookups.
class ParsedPreferenceFiles {
public:
    struct Lookup {
        std::shared_ptr<const platform::PropertyDictionary> values;  // null: nothing readable
        // The size of a file over the limit, the first time it is seen so.
        std::uint64_t newlyTooLargeBytes = 0;
    };
    Lookup lookup(const std::string& path);

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        timespec changed{};
        bool operator==(const Identity& other) const;
    };
    struct Entry {
        Identity identity;
        std::shared_ptr<const platform::PropertyDictionary> values;
    };
    std::map<std::string, Entry> entries_;
};

}  // namespace host
