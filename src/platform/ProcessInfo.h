#pragma once

// This process and the application bundle it runs from.

#include <optional>
#include <string>

namespace platform {

struct BundleInfo {
    std::string identifier;    // CFBundleIdentifier
    std::string name;          // CFBundleName
    std::string shortVersion;  // CFBundleShortVersionString
    std::string version;       // CFBundleVersion, the build number
    std::string bundlePath;    // the .app folder; empty when not run from a bundle
    std::string executablePath;
    bool operator==(const BundleInfo&) const = default;
};

class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;
    virtual int processIdentifier() const = 0;
    virtual std::optional<std::string> environment(const std::string& name) const = 0;
    // The system's version as shown to people.
    virtual std::string operatingSystemVersionString() const = 0;
    // The major version decisions are made on.
    virtual int operatingSystemMajorVersion() const = 0;
    virtual const BundleInfo& mainBundle() const = 0;
    // While disabled, a request to end the program goes through the normal
    // terminate path; while enabled, the process may end at once.
    virtual void disableSuddenTermination() = 0;
    virtual void enableSuddenTermination() = 0;
};

}  // namespace platform
