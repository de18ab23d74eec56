#include "host/PlistPreferenceDomains.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
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

// What the file holds now. A program that rewrites a file in place leaves it
// empty or cut short for a moment; a read that finds the file so, just after
// it changed, is tried again a few times, and one still torn is not used.
struct CurrentFile {
    ReadResult result = ReadResult::missing;
    bool empty = true;
    std::optional<PropertyDictionary> values;  // when it parsed as a dictionary
    bool torn = false;
};

bool changedJustNow(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - status.st_mtim.tv_sec <= 1;
}

CurrentFile readOnce(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    CurrentFile file;
    file.result = readExisting(path, bytes);
    file.empty = bytes.empty();
    if (file.result != ReadResult::read || file.empty) return file;
    if (auto parsed = parsePropertyList(bytes); parsed && parsed->dictionary()) {
        file.values = std::move(*parsed->dictionary());
    }
    return file;
}

CurrentFile readSettled(const std::string& path) {
    constexpr int retries = 5;
    CurrentFile file = readOnce(path);
    for (int retry = 0;; ++retry) {
        file.torn = file.result == ReadResult::read && !file.values && changedJustNow(path);
        if (!file.torn || retry == retries) return file;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        file = readOnce(path);
    }
}

// Leftover copies of writes that were cut short (the process was killed
// between writing the copy and renaming it): `<file>.XXXXXX`, as
// writeTemporary names them, and older than any write in progress.
void removeLeftoverCopies(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    const std::string prefix = file.filename().string() + ".";
    const auto oldest = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
        std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        bool generated = std::all_of(name.begin() + long(prefix.size()), name.end(),
                                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (!generated || !entry.is_regular_file(error) || entry.last_write_time(error) > oldest) {
            continue;
        }
        fs::remove(entry.path(), error);
    }
}

// The first key or text that an XML property list cannot hold as it is:
// ill-formed UTF-8, or characters XML does not allow (controls but tab, line
// feed and carriage return, NUL among them).
std::optional<std::string> unstorableText(const PropertyValue& value);

std::optional<std::string> unstorableText(const std::string& text) {
    const char* end = nullptr;
    if (!g_utf8_validate(text.data(), gssize(text.size()), &end)) return text;
    for (const char* c = text.data(); c < end; c = g_utf8_next_char(c)) {
        gunichar character = g_utf8_get_char(c);
        bool control = character < 0x20 && character != '\t' && character != '\n' && character != '\r';
        if (control || character == 0xFFFE || character == 0xFFFF) return text;
    }
    return std::nullopt;
}

std::optional<std::string> unstorableText(const PropertyValue& value) {
    if (const auto* text = value.text()) return unstorableText(*text);
    if (const auto* array = value.array()) {
        for (const auto& element : *array) {
            if (auto bad = unstorableText(element)) return bad;
        }
    }
    if (const auto* dictionary = value.dictionary()) {
        for (const auto& [key, element] : *dictionary) {
            if (auto bad = unstorableText(key)) return bad;
            if (auto bad = unstorableText(element)) return bad;
        }
    }
    return std::nullopt;
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

    // A symbolic link stays; the file it points to is rewritten.
    std::string target = std::filesystem::canonical(path, error).string();
    if (error) target = path;
    removeLeftoverCopies(target);
    CurrentFile current = readSettled(target);
    if (current.result == ReadResult::failed) return false;
    if (current.torn) {
        if (logError_) logError_("Couldn't write " + path + ": another program is writing it");
        return false;
    }
    PropertyDictionary values = current.values.value_or(PropertyDictionary{});
    // An empty file holds nothing to lose; it is simply replaced.
    bool unreadable = current.result == ReadResult::read && !current.empty && !current.values;
    apply(values, changes);

    if (auto bad = unstorableText(PropertyValue(values))) {
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
    return replaceFileContents(target, xmlPropertyList(values)).empty();
}

}  // namespace host
