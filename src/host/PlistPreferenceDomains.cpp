#include "host/PlistPreferenceDomains.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "host/DurableFile.h"
#include "host/PreferenceFile.h"
#include "host/PropertyList.h"
#include "host/XdgFolders.h"

namespace host {
namespace {

using platform::PropertyDictionary;
using platform::PropertyValue;

bool isDomainName(const std::string& domain) {
    return !domain.empty() && domain != "." && domain != ".." &&
           domain.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

// The lock is waited for a moment at most: a write happens on the main
// thread, which must keep answering the bus and signals however long another
// process holds on. The change stays pending and the next write tries again.
constexpr auto lockPatience = std::chrono::milliseconds(50);

bool lockWithin(int descriptor, std::chrono::milliseconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Who holds the flock on the open file, as /proc/locks and the holder's
// comm tell: "name (pid N)", or "another process" when they do not.
std::string lockHolder(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return "another process";
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(status.st_dev),
                  minor(status.st_dev), static_cast<unsigned long>(status.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        if (!(fields >> number >> kind >> mode >> access >> pid >> file)) continue;
        if (kind != "FLOCK" || file != wanted || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream commFile("/proc/" + pid + "/comm");
        std::string name;
        std::getline(commFile, name);
        return (name.empty() ? std::string("a process") : name) + " (pid " + pid + ")";
    }
    return "another process";
}

// Moves a file that does not parse out of the way instead of overwriting it,
// under the first free name of `<file>.unreadable`, `<file>.unreadable-2`, …;
// answers that name, or nothing when it could not be moved.
std::string setAside(const std::string& path) {
    constexpr int attempts = 1000;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        std::string name = path + ".unreadable";
        if (attempt > 1) name += "-" + std::to_string(attempt);
        struct stat status {};
        if (lstat(name.c_str(), &status) == 0) continue;
        if (errno != ENOENT) return {};
        return rename(path.c_str(), name.c_str()) == 0 ? name : std::string();
    }
    return {};
}

std::string megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

// Shown in a log line: printable, whatever the text holds.
std::string printable(const std::string& text) {
    g_autofree char* escaped = g_strescape(text.c_str(), nullptr);
    std::string shown = escaped ? escaped : "";
    if (text.find('\0') != std::string::npos) shown += " (and more after a NUL)";
    return shown;
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

PlistPreferenceDomains::PlistPreferenceDomains(std::string folder, ErrorLog logError)
    : folder_(std::move(folder)), logError_(std::move(logError)) {}

std::string PlistPreferenceDomains::defaultFolder() {
    return configHomeFolder() + "/Preferences";
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
    // Other processes write the same files: a file that changed is read again.
    ParsedPreferenceFiles::Lookup stored;
    {
        std::lock_guard lock(mutex_);
        stored = parsed_.lookup(path);
    }
    if (stored.newlyTooLargeBytes && logError_) {
        logError_("Preference file " + path + " is " + megabytes(stored.newlyTooLargeBytes) +
                  ", over the " + megabytes(maximumPreferenceFileBytes) +
                  " we read; its values are ignored and it is left as it is");
    }
    if (!stored.values) return std::nullopt;
    if (const auto* value = platform::find(*stored.values, key)) return *value;
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
    bool written = write(path, changes->second);
    pending_.erase(changes);
    return written;
}

bool PlistPreferenceDomains::write(const std::string& path, const Changes& changes) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) return false;

    // Closing the descriptor on return releases the lock.
    FileDescriptor lockFile(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lockFile) return false;
    if (!lockWithin(lockFile.get(), lockPatience)) {
        if (logError_) {
            logError_("Couldn't write " + path + ": " + lockHolder(lockFile.get()) +
                      " has held its lock for over " + std::to_string(lockPatience.count()) + " ms");
        }
        return false;
    }

    // A symbolic link stays; the file it points to is rewritten.
    std::string target = std::filesystem::canonical(path, error).string();
    if (error) target = path;
    // Every writer makes its copy under the lock we hold: any copy still
    // there was left by one that was killed. Looking costs a listing of the
    // folder, so it is done at our first write and then once a minute.
    auto now = std::chrono::steady_clock::now();
    if (auto last = leftoversChecked_.find(target);
        last == leftoversChecked_.end() || now - last->second >= std::chrono::minutes(1)) {
        removeLeftoverCopies(target);
        leftoversChecked_[target] = now;
    }
    PreferenceFileState current = readPreferenceFile(target);
    if (current.result == ReadResult::failed) return false;
    std::string refusal = current.torn ? "another program is writing it"
                          : current.tooLargeBytes
                              ? "it is " + megabytes(current.tooLargeBytes) + ", over the " +
                                    megabytes(maximumPreferenceFileBytes) + " we read"
                              : "";
    if (!refusal.empty()) {
        if (logError_) logError_("Couldn't write " + path + ": " + refusal);
        return false;
    }
    PropertyDictionary values = current.values.value_or(PropertyDictionary{});
    // An empty file holds nothing to lose; it is simply replaced.
    bool unreadable = current.result == ReadResult::read && !current.empty && !current.values;
    apply(values, changes);

    if (auto bad = firstUnstorableText(PropertyValue(values))) {
        if (logError_) {
            logError_("Couldn't write " + path + ": \"" + printable(*bad) +
                      "\" cannot be stored in a property list");
        }
        return false;
    }
    if (unreadable) {
        std::string aside = setAside(target);
        if (aside.empty()) return false;
        if (logError_) logError_("Preference file " + target + " could not be read; kept it as " + aside);
    }
    return putInPlace(target, xmlPropertyList(values), unreadable ? std::nullopt : current.mode)
        .empty();
}

}  // namespace host
