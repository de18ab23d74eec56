#pragma once

// Preference domains as XML property-list files, one per domain, shared by
// every process of the user. Writers serialise on an flock of `<file>.lock`
// and merge their own keys into what the file holds at that moment.

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "host/PreferenceFile.h"
#include "platform/PreferenceDomains.h"

namespace host {

class PlistPreferenceDomains : public platform::PreferenceDomains {
public:
    using ErrorLog = std::function<void(const std::string& line)>;

    // `folder` holds `<domain>.plist` files; it is created on the first write.
    // `logError` is told of files set aside and of values no file can hold.
    explicit PlistPreferenceDomains(std::string folder, ErrorLog logError = {});

    // ${XDG_CONFIG_HOME:-$HOME/.config}/Preferences
    static std::string defaultFolder();

    std::optional<platform::PropertyValue> copyValue(const std::string& domain,
                                                     const std::string& key) override;
    void setValue(const std::string& domain, const std::string& key,
                  std::optional<platform::PropertyValue> value) override;
    bool synchronize(const std::string& domain) override;

    const std::string& folder() const { return folder_; }
    // The file of a domain; empty for a name that cannot be one (empty,
    // ".", "..", or holding '/' or NUL).
    std::string domainPath(const std::string& domain) const;

private:
    using Changes = std::map<std::string, std::optional<platform::PropertyValue>>;

    bool write(const std::string& path, const Changes& changes);

    std::string folder_;
    ErrorLog logError_;
    std::mutex mutex_;
    std::map<std::string, Changes> pending_;
    ParsedPreferenceFiles parsed_;
    std::map<std::string, std::chrono::steady_clock::time_point> leftoversChecked_;
};

}  // namespace host
