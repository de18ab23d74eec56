#include "host/HostProcessInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/PropertyList.h"

namespace host {
namespace {

namespace fs = std::filesystem;

platform::BundleInfo builtInBundle(const std::string& executablePath) {
    return {TARNWICK_BUNDLE_ID, TARNWICK_BUNDLE_NAME, TARNWICK_VERSION, TARNWICK_VERSION, "",
            executablePath};
}

// The X.app folder when the executable lies in its Contents/MacOS.
std::optional<fs::path> bundleFolder(const fs::path& executable) {
    auto macOS = executable.parent_path();
    auto contents = macOS.parent_path();
    auto bundle = contents.parent_path();
    if (macOS.filename() != "MacOS" || contents.filename() != "Contents") return std::nullopt;
    if (bundle.extension() != ".app" || bundle.stem().empty()) return std::nullopt;
    return bundle;
}

void readText(const platform::PropertyDictionary& info, const std::string& key, std::string& into) {
    auto* value = platform::find(info, key);
    if (value && value->text()) into = *value->text();
}

std::string readWholeFile(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A value of os-release is shell-quoted: "…" or '…' with backslash escapes.
std::string unquote(std::string_view value) {
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') ||
        value.back() != value.front()) {
        return std::string(value);
    }
    std::string text;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) ++i;
        text += value[i];
    }
    return text;
}

std::string prettyName(std::string_view osRelease) {
    constexpr std::string_view key = "PRETTY_NAME=";
    std::size_t start = 0;
    while (start < osRelease.size()) {
        auto end = osRelease.find('\n', start);
        if (end == std::string_view::npos) end = osRelease.size();
        auto line = osRelease.substr(start, end - start);
        if (line.starts_with(key)) return unquote(line.substr(key.size()));
        start = end + 1;
    }
    return "";
}

// "6.1.0-18-amd64" → "6.1.0": the distribution's build suffix means nothing
// to people reading the version.
std::string_view kernelVersion(std::string_view release) {
    auto end = release.find_first_not_of("0123456789.");
    return release.substr(0, end);
}

}  // namespace

platform::BundleInfo bundleInfoForExecutable(const std::string& executablePath) {
    auto bundle = builtInBundle(executablePath);
    auto folder = bundleFolder(executablePath);
    if (!folder) return bundle;
    auto info = readPropertyListFile((*folder / "Contents" / "Info.plist").string());
    if (!info || !info->dictionary()) return bundle;
    // A bundle speaks for itself: another application's Info.plist without
    // an identifier must not pass for ours.
    bundle = {};
    bundle.executablePath = executablePath;
    const auto& keys = *info->dictionary();
    readText(keys, "CFBundleIdentifier", bundle.identifier);
    readText(keys, "CFBundleName", bundle.name);
    readText(keys, "CFBundleShortVersionString", bundle.shortVersion);
    readText(keys, "CFBundleVersion", bundle.version);
    bundle.bundlePath = folder->string();
    return bundle;
}

std::string operatingSystemVersionText(std::string_view osRelease, std::string_view kernelRelease) {
    auto kernel = "Linux " + std::string(kernelVersion(kernelRelease));
    auto name = prettyName(osRelease);
    return name.empty() ? kernel : name + ", " + kernel;
}

HostProcessInfo::HostProcessInfo() {
    std::error_code error;
    auto executable = fs::read_symlink("/proc/self/exe", error);
    bundle_ = bundleInfoForExecutable(error ? std::string() : executable.string());
}

int HostProcessInfo::processIdentifier() const {
    return static_cast<int>(getpid());
}

std::optional<std::string> HostProcessInfo::environment(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string HostProcessInfo::operatingSystemVersionString() const {
    auto osRelease = readWholeFile("/etc/os-release");
    if (osRelease.empty()) osRelease = readWholeFile("/usr/lib/os-release");
    utsname system{};
    uname(&system);
    return operatingSystemVersionText(osRelease, system.release);
}

}  // namespace host
