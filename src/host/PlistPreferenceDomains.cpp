#include "host/PlistPreferenceDomains.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "host/DurableFile.h"
#include "host/PropertyList.h"

namespace host {
namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

bool isDomainName(const std::string& domain) {
    return !domain.empty() && domain != "." && domain != ".." &&
           domain.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

template <typename Call>
int retryOnInterrupt(Call call) {
    int result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// Moves a file that does not parse out of the way instead of overwriting it,
// under the first free name of `<file>.unreadable`, `<file>.unreadable-2`, …
bool setAside(const std::string& path) {
    constexpr int attempts = 1000;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        std::string name = path + ".unreadable";
        if (attempt > 1) name += "-" + std::to_string(attempt);
        struct stat status {};
        if (lstat(name.c_str(), &status) == 0) continue;
        if (errno != ENOENT) return false;
        return rename(path.c_str(), name.c_str()) == 0;
    }
    return false;
}

void apply(PropertyDictionary& values,
           const std::map<std::string, std::optional<PropertyValue>>& changes) {
    for (const auto& [key, value] : changes) {
        if (value) {
            values.insert_or_assign(key, *value);
        } else {
            values.erase(key);
        }
    }
}

}  // namespace

PlistPreferenceDomains::PlistPreferenceDomains(std::string folder) : folder_(std::move(folder)) {}

std::string PlistPreferenceDomains::defaultFolder() {
    // XDG base directories ignore a relative XDG_CONFIG_HOME.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/') return std::string(configHome) + "/Preferences";
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "";
    }
    return std::string(home) + "/.config/Preferences";
}

std::string PlistPreferenceDomains::domainPath(const std::string& domain) const {
    if (!isDomainName(domain)) return {};
    return folder_ + "/" + domain + ".plist";
}

std::optional<PropertyValue> PlistPreferenceDomains::copyValue(const std::string& domain,
                                                               const std::string& key) {
    std::string path = domainPath(domain);
    if (path.empty()) return std::nullopt;
    {
        std::lock_guard lock(mutex_);
        if (auto changes = pending_.find(domain); changes != pending_.end()) {
            if (auto change = changes->second.find(key); change != changes->second.end()) {
                return change->second;
            }
        }
    }
    // Read fresh every time: other processes write the same files.
    auto stored = readPropertyListFile(path);
    const auto* dictionary = stored ? stored->dictionary() : nullptr;
    if (!dictionary) return std::nullopt;
    if (const auto* value = platform::find(*dictionary, key)) return *value;
    return std::nullopt;
}

void PlistPreferenceDomains::setValue(const std::string& domain, const std::string& key,
                                      std::optional<PropertyValue> value) {
    if (!isDomainName(domain)) return;
    std::lock_guard lock(mutex_);
    pending_[domain].insert_or_assign(key, std::move(value));
}

bool PlistPreferenceDomains::synchronize(const std::string& domain) {
    std::string path = domainPath(domain);
    if (path.empty()) return false;
    std::lock_guard lock(mutex_);
    auto changes = pending_.find(domain);
    if (changes == pending_.end()) return true;
    // On failure the changes stay pending, so this process still reads them.
    if (!write(path, changes->second)) return false;
    pending_.erase(changes);
    return true;
}

bool PlistPreferenceDomains::write(const std::string& path, const Changes& changes) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) return false;

    // Closing the descriptor on return releases the lock.
    FileDescriptor lockFile(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lockFile) return false;
    if (retryOnInterrupt([&] { return flock(lockFile.get(), LOCK_EX); }) != 0) return false;

    std::vector<std::uint8_t> bytes;
    ReadResult current = readExisting(path, bytes);
    if (current == ReadResult::failed) return false;
    PropertyDictionary values;
    bool unreadable = false;
    // An empty file holds nothing to lose; it is simply replaced.
    if (current == ReadResult::read && !bytes.empty()) {
        auto parsed = parsePropertyList(bytes);
        if (parsed && parsed->dictionary()) {
            values = *parsed->dictionary();
        } else {
            unreadable = true;
        }
    }
    apply(values, changes);

    std::string temporary = writeTemporary(path, xmlPropertyList(values));
    if (temporary.empty()) return false;
    if ((unreadable && !setAside(path)) || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return syncFolder(folder_);
}

}  // namespace host
