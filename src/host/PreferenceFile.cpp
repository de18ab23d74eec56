#include "host/PreferenceFile.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>
#include <vector>

#include "host/PropertyList.h"

namespace host {
namespace {

using platform::PropertyDictionary;

bool changedJustNow(const struct stat& status) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - status.st_mtim.tv_sec <= 1;
}

PreferenceFileState readOnce(const std::string& path, struct stat& status) {
    PreferenceFileState file;
    if (stat(path.c_str(), &status) != 0) {
        file.result = errno == ENOENT ? ReadResult::missing : ReadResult::failed;
        return file;
    }
    file.mode = status.st_mode;
    if (S_ISREG(status.st_mode) && std::uint64_t(status.st_size) > maximumPreferenceFileBytes) {
        file.result = ReadResult::read;
        file.empty = false;
        file.tooLargeBytes = std::uint64_t(status.st_size);
        return file;
    }
    std::vector<std::uint8_t> bytes;
    file.result = readExisting(path, bytes);
    file.empty = bytes.empty();
    if (file.result != ReadResult::read || file.empty) return file;
    if (auto parsed = parsePropertyList(bytes); parsed && parsed->dictionary()) {
        file.values = std::move(*parsed->dictionary());
    }
    return file;
}

}  // namespace

PreferenceFileState readPreferenceFile(const std::string& path) {
    constexpr int retries = 5;
    struct stat status {};
    PreferenceFileState file = readOnce(path, status);
    for (int retry = 0;; ++retry) {
        file.torn = file.result == ReadResult::read && !file.tooLargeBytes && !file.values &&
                    changedJustNow(status);
        if (!file.torn || retry == retries) return file;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        file = readOnce(path, status);
    }
}

bool ParsedPreferenceFiles::Identity::operator==(const Identity& other) const {
    auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return device == other.device && inode == other.inode && size == other.size &&
           same(modified, other.modified) && same(changed, other.changed);
}

ParsedPreferenceFiles::Lookup ParsedPreferenceFiles::lookup(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        entries_.erase(path);
        return {};
    }
    Identity identity{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
    auto known = entries_.find(path);
    if (known != entries_.end() && known->second.identity == identity) {
        return {known->second.values, 0};
    }
    Lookup lookup;
    if (S_ISREG(status.st_mode) && std::uint64_t(status.st_size) > maximumPreferenceFileBytes) {
        lookup.newlyTooLargeBytes = std::uint64_t(status.st_size);
    } else if (auto stored = readPropertyListFile(path); stored && stored->dictionary()) {
        lookup.values = std::make_shared<const PropertyDictionary>(std::move(*stored->dictionary()));
    }
    entries_.insert_or_assign(path, Entry{identity, lookup.values});
    return lookup;
}

}  // namespace host
