#include "host/ApplicationIdentity.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "host/HostProcessInfo.h"
#include "host/XdgFolders.h"

namespace host {
namespace {

struct ListDeleter {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};
struct ObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoList = std::unique_ptr<GList, ListDeleter>;
using DesktopEntry = std::unique_ptr<GDesktopAppInfo, ObjectDeleter>;

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string text(const char* value) {
    return value ? value : "";
}

std::string identifierOf(GDesktopAppInfo* entry) {
    std::string id = text(g_app_info_get_id(G_APP_INFO(entry)));
    constexpr std::string_view suffix = ".desktop";
    if (id.ends_with(suffix)) id.resize(id.size() - suffix.size());
    return id;
}

std::optional<std::string> fileOf(GDesktopAppInfo* entry) {
    const char* file = g_desktop_app_info_get_filename(entry);
    if (!file || !*file) return std::nullopt;
    return file;
}

std::optional<ApplicationIdentity> identityOf(GDesktopAppInfo* entry) {
    auto id = identifierOf(entry);
    if (id.empty()) return std::nullopt;
    return ApplicationIdentity{id, text(g_app_info_get_name(G_APP_INFO(entry))), fileOf(entry)};
}

// The desktop file id the desktop gives the entry file at `path`, without
// ".desktop".
std::string desktopFileId(const std::string& path) {
    std::string id = std::filesystem::path(path).filename().string();
    for (const auto& folder : dataFolders()) {
        auto applications = (std::filesystem::path(folder) / "applications").string() + "/";
        if (folder.empty() || !path.starts_with(applications)) continue;
        id = path.substr(applications.size());
        std::replace(id.begin(), id.end(), '/', '-');
        break;
    }
    constexpr std::string_view suffix = ".desktop";
    if (id.ends_with(suffix)) id.resize(id.size() - suffix.size());
    return id;
}

// The first installed entry the test accepts, in GIO's order of entries.
std::optional<ApplicationIdentity> findEntry(const std::function<bool(GDesktopAppInfo*)>& matches) {
    AppInfoList all(g_app_info_get_all());
    for (GList* item = all.get(); item; item = item->next) {
        if (!G_IS_DESKTOP_APP_INFO(item->data)) continue;
        auto* entry = G_DESKTOP_APP_INFO(item->data);
        if (matches(entry)) return identityOf(entry);
    }
    return std::nullopt;
}

std::optional<ApplicationIdentity> entryWithWindowClass(const std::string& name) {
    if (name.empty()) return std::nullopt;
    return findEntry([&](GDesktopAppInfo* entry) {
        return sameIgnoringCase(text(g_desktop_app_info_get_startup_wm_class(entry)), name);
    });
}

std::optional<ApplicationIdentity> entryNamed(const std::string& name) {
    if (name.empty()) return std::nullopt;
    return findEntry(
        [&](GDesktopAppInfo* entry) { return sameIgnoringCase(identifierOf(entry), name); });
}

std::optional<ApplicationIdentity> entryRunning(const std::string& executablePath) {
    auto name = std::filesystem::path(executablePath).filename().string();
    if (name.empty()) return std::nullopt;
    return findEntry([&](GDesktopAppInfo* entry) {
        auto command = text(g_app_info_get_executable(G_APP_INFO(entry)));
        return !command.empty() && std::filesystem::path(command).filename() == name;
    });
}

// The entry whose program, found in PATH, is the one at `path`.
DesktopEntry entryStarting(const std::string& path) {
    auto name = std::filesystem::path(path).filename();
    if (name.empty()) return nullptr;
    AppInfoList all(g_app_info_get_all());
    for (GList* item = all.get(); item; item = item->next) {
        if (!G_IS_DESKTOP_APP_INFO(item->data)) continue;
        const char* command = g_app_info_get_executable(G_APP_INFO(item->data));
        // Most entries start something else: only a name match is worth a PATH search.
        if (!command || std::filesystem::path(command).filename() != name) continue;
        gchar* found = g_find_program_in_path(command);
        bool same = found && path == found;
        g_free(found);
        if (same) return DesktopEntry(G_DESKTOP_APP_INFO(g_object_ref(item->data)));
    }
    return nullptr;
}

DesktopEntry entryForApplication(const std::string& path) {
    if (path.ends_with(".desktop"))
        return DesktopEntry(g_desktop_app_info_new_from_filename(path.c_str()));
    return entryStarting(path);
}

std::optional<DesktopEntryIcon> iconOf(GIcon* icon) {
    if (G_IS_FILE_ICON(icon)) {
        gchar* path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
        std::optional<std::string> file;
        if (path) file = path;
        g_free(path);
        if (!file) return std::nullopt;
        return DesktopEntryIcon{file, {}};
    }
    if (!G_IS_THEMED_ICON(icon)) return std::nullopt;
    DesktopEntryIcon themed;
    for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name;
         ++name) {
        themed.themedNames.emplace_back(*name);
    }
    if (themed.themedNames.empty()) return std::nullopt;
    return themed;
}

}  // namespace

std::optional<DesktopEntryIcon> desktopEntryIcon(const std::string& applicationPath) {
    if (applicationPath.empty()) return std::nullopt;
    DesktopEntry entry = entryForApplication(applicationPath);
    if (!entry) return std::nullopt;
    GIcon* icon = g_app_info_get_icon(G_APP_INFO(entry.get()));
    if (!icon) return std::nullopt;
    return iconOf(icon);
}

std::optional<ApplicationIdentity> bundleIdentity(const std::string& executablePath) {
    if (executablePath.empty()) return std::nullopt;
    auto bundle = bundleInfoForExecutable(executablePath);
    // An empty bundle path: not in a bundle, or its Info.plist does not read.
    if (bundle.bundlePath.empty()) return std::nullopt;
    return ApplicationIdentity{bundle.identifier, bundle.name, bundle.bundlePath};
}

std::optional<ApplicationIdentity> desktopEntryIdentity(const std::string& windowClass,
                                                        const std::string& windowInstance,
                                                        const std::string& executablePath) {
    for (const auto& name : {windowClass, windowInstance}) {
        if (auto identity = entryWithWindowClass(name)) return identity;
    }
    for (const auto& name : {windowClass, windowInstance}) {
        if (auto identity = entryNamed(name)) return identity;
    }
    if (executablePath.empty()) return std::nullopt;
    return entryRunning(executablePath);
}

std::optional<ApplicationIdentity> desktopEntryWithIdentifier(const std::string& identifier) {
    if (identifier.empty()) return std::nullopt;
    DesktopEntry entry(g_desktop_app_info_new((identifier + ".desktop").c_str()));
    if (!entry) return std::nullopt;
    return identityOf(entry.get());
}

std::optional<ApplicationIdentity> desktopEntryAt(const std::string& path) {
    if (!path.ends_with(".desktop")) return std::nullopt;
    DesktopEntry entry(g_desktop_app_info_new_from_filename(path.c_str()));
    if (!entry) return std::nullopt;
    auto id = desktopFileId(path);
    if (id.empty()) return std::nullopt;
    return ApplicationIdentity{id, text(g_app_info_get_name(G_APP_INFO(entry.get()))), path};
}

std::optional<std::string> desktopEntryPath(const std::string& identifier) {
    if (identifier.empty()) return std::nullopt;
    DesktopEntry entry(g_desktop_app_info_new((identifier + ".desktop").c_str()));
    if (!entry) return std::nullopt;
    const char* command = g_app_info_get_executable(G_APP_INFO(entry.get()));
    if (command && *command) {
        gchar* found = g_find_program_in_path(command);
        std::string path = text(found);
        g_free(found);
        if (!path.empty()) return path;
    }
    auto file = text(g_desktop_app_info_get_filename(entry.get()));
    if (file.empty()) return std::nullopt;
    return file;
}

}  // namespace host
