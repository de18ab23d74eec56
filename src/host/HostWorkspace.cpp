#include "host/HostWorkspace.h"

#include <gio/gio.h>

#include <algorithm>
#include <filesystem>

#include "host/ApplicationIdentity.h"
#include "host/HostProcessInfo.h"
#include "host/IconTheme.h"
#include "host/PropertyList.h"
#include "host/SessionCopies.h"
#include "host/XdgFolders.h"
#include "host/x11/X11ActiveWindow.h"

namespace host {
namespace {

namespace fs = std::filesystem;
using platform::ActivationPolicy;
using platform::RunningApplication;

// The size icons are looked up in: list icons are 16 points, drawn at twice
// the density and from larger pictures.
constexpr int listIconPixels = 48;

std::optional<std::string> nonEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

// Windows without a process id are told apart by who they say they are.
std::string applicationKey(const RunningApplication& application) {
    if (application.processIdentifier > 0)
        return "pid:" + std::to_string(application.processIdentifier);
    return "id:" + application.bundleIdentifier.value_or(application.localizedName.value_or(""));
}

std::vector<fs::path> bundleFolders() {
    std::vector<fs::path> folders;
    if (auto home = homeFolder(); !home.empty()) folders.push_back(fs::path(home) / "Applications");
    folders.push_back("/Applications");
    folders.push_back("/usr/local/Applications");
    return folders;
}

std::optional<std::string> bundleIdentifierAt(const fs::path& bundle) {
    auto info = readPropertyListFile((bundle / "Contents" / "Info.plist").string());
    if (!info || !info->dictionary()) return std::nullopt;
    auto* identifier = platform::find(*info->dictionary(), "CFBundleIdentifier");
    if (!identifier || !identifier->text()) return std::nullopt;
    return *identifier->text();
}

// Sorted, so the same machine always answers the same bundle.
std::vector<fs::path> folderItems(const fs::path& folder) {
    std::vector<fs::path> items;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        if (item.is_directory(error)) items.push_back(item.path());
    }
    std::sort(items.begin(), items.end());
    return items;
}

// Bundles in the folder and in its plain subfolders (as in Utilities/).
std::optional<fs::path> findBundle(const fs::path& folder, const std::string& identifier,
                                   int depth) {
    for (const auto& item : folderItems(folder)) {
        if (item.extension() == ".app") {
            if (bundleIdentifierAt(item) == identifier) return item;
            continue;
        }
        if (depth == 0) continue;
        if (auto found = findBundle(item, identifier, depth - 1)) return found;
    }
    return std::nullopt;
}

std::optional<std::string> firstIconFile(const std::vector<fs::path>& candidates) {
    for (const auto& candidate : candidates) {
        if (isIconFile(candidate)) return candidate.string();
    }
    return std::nullopt;
}

bool isBundle(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path / "Contents" / "Info.plist", error);
}

// A plain file name only: the icon must stay inside the bundle's resources.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::optional<std::string> bundleIconFile(const fs::path& bundle) {
    auto info = readPropertyListFile((bundle / "Contents" / "Info.plist").string());
    if (!info || !info->dictionary()) return std::nullopt;
    auto* entry = platform::find(*info->dictionary(), "CFBundleIconFile");
    if (!entry || !entry->text() || !isPlainFileName(*entry->text())) return std::nullopt;
    const std::string& name = *entry->text();
    auto resources = bundle / "Contents" / "Resources";
    std::vector<fs::path> candidates{resources / name};
    if (fs::path(name).extension().empty()) {
        candidates.push_back(resources / (name + ".png"));
        candidates.push_back(resources / (name + ".icns"));
    }
    return firstIconFile(candidates);
}

}  // namespace

HostWorkspace::HostWorkspace() = default;

HostWorkspace::HostWorkspace(X11Connection& display) {
    attachDisplay(display);
}

HostWorkspace::~HostWorkspace() = default;

void HostWorkspace::attachDisplay(X11Connection& display) {
    activeWindow_.reset();
    activeWindow_ = std::make_unique<X11ActiveWindow>(
        display, [this](unsigned long window) { activeWindowChanged(window); });
    if (auto front = frontmostApplication()) lastFront_ = applicationKey(*front);
}

RunningApplication HostWorkspace::applicationOfProcess(const ProcessEntry& process) {
    RunningApplication application;
    application.processIdentifier = process.processIdentifier;
    application.executablePath = process.executablePath;
    application.launchDate = process.launchDate;
    if (!process.executablePath) return application;
    if (auto identity = bundleIdentity(*process.executablePath)) {
        application.bundleIdentifier = identity->bundleIdentifier;
        application.localizedName = identity->name;
        application.bundlePath = identity->bundlePath;
    }
    return application;
}

std::optional<RunningApplication> HostWorkspace::applicationOfWindow(unsigned long window) {
    if (!activeWindow_ || !window) return std::nullopt;
    auto owner = activeWindow_->owner(window);
    if (!owner) return std::nullopt;
    RunningApplication application;
    if (owner->processIdentifier) {
        auto process = processes_.process(*owner->processIdentifier);
        if (process) application = applicationOfProcess(*process);
        application.processIdentifier = *owner->processIdentifier;
    }
    if (!application.bundleIdentifier) {
        auto identity = desktopEntryIdentity(owner->windowClass, owner->windowInstance,
                                             application.executablePath.value_or(""));
        if (identity) {
            application.bundleIdentifier = identity->bundleIdentifier;
            application.localizedName = nonEmpty(identity->name);
            application.bundlePath = identity->bundlePath;
        }
    }
    if (!application.localizedName) application.localizedName = nonEmpty(owner->windowClass);
    if (!application.localizedName && application.executablePath) {
        application.localizedName =
            nonEmpty(fs::path(*application.executablePath).filename().string());
    }
    application.activationPolicy =
        owner->ordinary ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (application.processIdentifier == getpid()) application.activationPolicy = ownPolicy_;
    return application;
}

std::optional<RunningApplication> HostWorkspace::frontmostApplication() {
    if (!activeWindow_) return std::nullopt;
    return applicationOfWindow(activeWindow_->activeWindow());
}

std::vector<RunningApplication> HostWorkspace::runningApplications() {
    if (!activeWindow_) return {};
    std::vector<RunningApplication> applications;
    std::map<std::string, std::size_t> seen;
    for (auto window : activeWindow_->clientWindows()) {
        auto application = applicationOfWindow(window);
        if (!application) continue;
        auto key = applicationKey(*application);
        auto known = seen.find(key);
        if (known == seen.end()) {
            seen.emplace(key, applications.size());
            applications.push_back(std::move(*application));
            continue;
        }
        // One ordinary window makes the application a regular one.
        if (application->activationPolicy == ActivationPolicy::regular) {
            applications[known->second].activationPolicy = ActivationPolicy::regular;
        }
    }
    return applications;
}

RunningApplication HostWorkspace::currentApplication() {
    RunningApplication application;
    if (auto process = processes_.process(getpid())) application = applicationOfProcess(*process);
    application.processIdentifier = getpid();
    // Outside a bundle this process still is the program it was built as.
    auto bundle = bundleInfoForExecutable(application.executablePath.value_or(""));
    application.bundleIdentifier = nonEmpty(bundle.identifier);
    application.localizedName = nonEmpty(bundle.name);
    application.bundlePath = nonEmpty(bundle.bundlePath);
    application.activationPolicy = ownPolicy_;
    return application;
}

std::vector<RunningApplication> HostWorkspace::runningApplications(
    const std::string& bundleIdentifier) {
    std::vector<RunningApplication> applications;
    for (const auto& process : processes_.userProcesses()) {
        if (process.terminated() || !process.executablePath) continue;
        // This process counts by the identity it was built with, bundle or not.
        auto application = process.processIdentifier == getpid() ? currentApplication()
                                                                 : applicationOfProcess(process);
        if (application.bundleIdentifier != bundleIdentifier) continue;
        if (sessionCopies_ && process.processIdentifier != getpid() &&
            !sessionCopies_->counts(bundleIdentifier, process.processIdentifier)) {
            continue;
        }
        applications.push_back(std::move(application));
    }
    return applications;
}

std::optional<std::string> HostWorkspace::applicationPath(const std::string& bundleIdentifier) {
    if (bundleIdentifier.empty()) return std::nullopt;
    for (const auto& folder : bundleFolders()) {
        if (auto bundle = findBundle(folder, bundleIdentifier, 1)) return bundle->string();
    }
    return desktopEntryPath(bundleIdentifier);
}

std::optional<std::string> HostWorkspace::applicationIconFile(const std::string& applicationPath) {
    if (applicationPath.empty()) return std::nullopt;
    if (isBundle(applicationPath)) return bundleIconFile(applicationPath);
    auto icon = desktopEntryIcon(applicationPath);
    if (!icon) return std::nullopt;
    if (icon->file) return firstIconFile({*icon->file});
    return themedIconFile(icon->themedNames, listIconPixels);
}

std::optional<std::string> HostWorkspace::bundleIdentifier(const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (auto entry = desktopEntryAt(path)) return entry->bundleIdentifier;
    auto identifier = bundleIdentifierAt(path);
    if (!identifier || identifier->empty()) return std::nullopt;
    return identifier;
}

void HostWorkspace::activeWindowChanged(unsigned long window) {
    auto front = applicationOfWindow(window);
    // No window in front (the desktop, a menu) does not change the application.
    if (!front) return;
    auto key = applicationKey(*front);
    if (key == lastFront_) return;
    lastFront_ = key;
    // A handler may add or remove observers; those present now are told.
    auto observers = observers_;
    for (const auto& [id, handler] : observers) {
        if (observers_.count(id)) handler(*front);
    }
}

bool HostWorkspace::openURL(const std::string& url) {
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error)) return true;
    g_error_free(error);
    return false;
}

std::vector<std::string> HostWorkspace::applicationExtensions() {
    return {"app", "desktop"};
}

std::vector<std::string> HostWorkspace::applicationFolders() {
    std::vector<fs::path> candidates{"/usr/share/applications"};
    auto dataHome = dataHomeFolder();
    if (!dataHome.empty()) candidates.push_back(fs::path(dataHome) / "applications");
    auto bundles = bundleFolders();
    candidates.insert(candidates.end(), bundles.begin(), bundles.end());
    std::vector<std::string> folders;
    std::error_code error;
    for (const auto& candidate : candidates) {
        if (fs::is_directory(candidate, error)) folders.push_back(candidate.string());
    }
    return folders;
}

std::string HostWorkspace::displayName(const std::string& path) {
    // A file manager shows a launcher by its Name.
    if (auto entry = desktopEntryAt(path); entry && !entry->name.empty()) return entry->name;
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    std::string name;
    if (info) {
        name = g_file_info_get_display_name(info);
        g_object_unref(info);
    } else {
        gchar* base = g_file_get_basename(file);
        name = base ? base : path;
        g_free(base);
    }
    g_object_unref(file);
    return name;
}

platform::ObserverId HostWorkspace::observeActivations(ActivationHandler handler) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::move(handler));
    return id;
}

}  // namespace host
