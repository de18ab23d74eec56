#include "host/IconTheme.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string_view>

#include "host/GLibOwners.h"
#include "host/XdgFolders.h"

namespace host {
namespace {

namespace fs = std::filesystem;

// Icons are kilobytes; even a large ICNS stays well under this.
constexpr std::uintmax_t maxIconFileBytes = 8 << 20;

// A folder of a theme's icons and the sizes it serves.
struct ThemeDirectory {
    enum class Type { fixed, scalable, threshold };
    std::string path;
    Type type = Type::threshold;
    int size = 0, minSize = 0, maxSize = 0, threshold = 2;

    bool matches(int wanted) const {
        switch (type) {
            case Type::fixed:
                return wanted == size;
            case Type::scalable:
                return minSize <= wanted && wanted <= maxSize;
            case Type::threshold:
                return size - threshold <= wanted && wanted <= size + threshold;
        }
        return false;
    }
    int distance(int wanted) const {
        int low =
            type == Type::scalable ? minSize : size - (type == Type::threshold ? threshold : 0);
        int high =
            type == Type::scalable ? maxSize : size + (type == Type::threshold ? threshold : 0);
        if (wanted < low) return low - wanted;
        if (wanted > high) return wanted - high;
        return 0;
    }
};

struct Theme {
    std::vector<fs::path> roots;  // the theme's folder in each base folder that has one
    std::vector<std::string> inherits;
    std::vector<ThemeDirectory> directories;
};

std::vector<fs::path> baseFolders() {
    std::vector<fs::path> folders;
    if (auto home = homeFolder(); !home.empty()) folders.push_back(fs::path(home) / ".icons");
    for (const auto& folder : dataFolders()) folders.push_back(fs::path(folder) / "icons");
    return folders;
}

std::vector<std::string> listValue(GKeyFile* file, const char* group, const char* key) {
    std::vector<std::string> values;
    gsize count = 0;
    gchar** list = g_key_file_get_string_list(file, group, key, &count, nullptr);
    for (gsize index = 0; list && index < count; ++index) {
        if (*list[index]) values.emplace_back(list[index]);
    }
    g_strfreev(list);
    return values;
}

int integerValue(GKeyFile* file, const std::string& group, const char* key, int fallback) {
    GError* error = nullptr;
    int value = g_key_file_get_integer(file, group.c_str(), key, &error);
    if (!error) return value;
    g_error_free(error);
    return fallback;
}

ThemeDirectory directoryOf(GKeyFile* file, const std::string& path) {
    ThemeDirectory directory{path};
    directory.size = integerValue(file, path, "Size", 0);
    directory.minSize = integerValue(file, path, "MinSize", directory.size);
    directory.maxSize = integerValue(file, path, "MaxSize", directory.size);
    directory.threshold = integerValue(file, path, "Threshold", 2);
    GText type(g_key_file_get_string(file, path.c_str(), "Type", nullptr));
    std::string_view name = type ? type.get() : "Threshold";
    if (name == "Fixed") directory.type = ThemeDirectory::Type::fixed;
    if (name == "Scalable") directory.type = ThemeDirectory::Type::scalable;
    return directory;
}

// hicolor's usual folders, for a system that lacks its index.theme.
std::vector<ThemeDirectory> hicolorDirectories() {
    std::vector<ThemeDirectory> directories;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        auto path = std::to_string(size) + "x" + std::to_string(size) + "/apps";
        directories.push_back({path, ThemeDirectory::Type::threshold, size, size, size, 2});
    }
    directories.push_back({"scalable/apps", ThemeDirectory::Type::scalable, 128, 1, 512, 2});
    return directories;
}

// Folders for a larger scale than 1 hold the same pictures for dense screens.
bool readIndex(const fs::path& index, Theme& theme) {
    KeyFile file(g_key_file_new());
    g_key_file_set_list_separator(file.get(), ',');
    if (!g_key_file_load_from_file(file.get(), index.c_str(), G_KEY_FILE_NONE, nullptr))
        return false;
    theme.inherits = listValue(file.get(), "Icon Theme", "Inherits");
    for (const auto& path : listValue(file.get(), "Icon Theme", "Directories")) {
        if (integerValue(file.get(), path, "Scale", 1) != 1) continue;
        theme.directories.push_back(directoryOf(file.get(), path));
    }
    return true;
}

std::optional<Theme> readTheme(const std::string& name) {
    Theme theme;
    std::optional<fs::path> index;
    std::error_code error;
    for (const auto& base : baseFolders()) {
        auto root = base / name;
        if (!fs::is_directory(root, error)) continue;
        theme.roots.push_back(root);
        if (!index && fs::is_regular_file(root / "index.theme", error))
            index = root / "index.theme";
    }
    if (theme.roots.empty()) return std::nullopt;
    if (index && readIndex(*index, theme)) return theme;
    if (name != "hicolor") return std::nullopt;
    theme.directories = hicolorDirectories();
    return theme;
}

// Each theme is read once per run and set of base folders.
const std::optional<Theme>& theme(const std::string& name) {
    static std::map<std::string, std::optional<Theme>> themes;
    std::string key = name;
    for (const auto& base : baseFolders()) key += "\n" + base.string();
    auto found = themes.find(key);
    if (found == themes.end()) found = themes.emplace(key, readTheme(name)).first;
    return found->second;
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The value of `key` in the first of `files` that has one.
std::string settingIn(const std::vector<std::string>& files, const char* group, const char* key) {
    for (const auto& path : files) {
        KeyFile file(g_key_file_new());
        if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr))
            continue;
        GText value(g_key_file_get_string(file.get(), group, key, nullptr));
        if (value && *value) return value.get();
    }
    return "";
}

bool desktopIsLxqt() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    return desktops && std::string_view(desktops).find("LXQt") != std::string_view::npos;
}

// LXQt names its theme in lxqt.conf (its defaults in /usr/share/lxqt); GTK,
// which the other desktops set, in settings.ini.
std::string userThemeName() {
    auto config = configHomeFolder();
    if (desktopIsLxqt()) {
        auto name = settingIn({config + "/lxqt/lxqt.conf", "/usr/share/lxqt/lxqt.conf"}, "General",
                              "icon_theme");
        if (isPlainName(name) && theme(name)) return name;
    }
    auto name = settingIn({config + "/gtk-3.0/settings.ini", "/etc/gtk-3.0/settings.ini"},
                          "Settings", "gtk-icon-theme-name");
    if (isPlainName(name) && theme(name)) return name;
    return "Adwaita";
}

void addWithParents(const std::string& name, std::vector<std::string>& chain) {
    if (!isPlainName(name) || std::ranges::find(chain, name) != chain.end()) return;
    const auto& found = theme(name);
    if (!found) return;
    chain.push_back(name);
    for (const auto& parent : found->inherits) addWithParents(parent, chain);
}

// The icon in the folder that serves `size`, else in the nearest one.
std::optional<std::string> lookUp(const Theme& theme, const std::string& name, int size) {
    static constexpr std::array<const char*, 3> extensions{".png", ".svg", ".xpm"};
    std::optional<std::string> nearest;
    int nearestDistance = INT_MAX;
    for (const auto& directory : theme.directories) {
        int distance = directory.matches(size) ? 0 : directory.distance(size);
        if (distance >= nearestDistance) continue;
        for (const auto& root : theme.roots) {
            for (const char* extension : extensions) {
                auto file = root / directory.path / (name + extension);
                if (!isIconFile(file)) continue;
                if (distance == 0) return file.string();
                nearest = file.string();
                nearestDistance = distance;
                break;
            }
        }
    }
    return nearest;
}

bool hasPNGSignature(const fs::path& path) {
    static constexpr std::array<char, 8> signature{'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    std::array<char, 8> start{};
    std::ifstream file(path, std::ios::binary);
    return file.read(start.data(), start.size()) && start == signature;
}

}  // namespace

bool isIconFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > maxIconFileBytes)
        return false;
    auto extension = path.extension();
    if (extension == ".svg" || extension == ".xpm" || extension == ".icns") return true;
    return hasPNGSignature(path);
}

std::vector<std::string> iconThemeChain() {
    std::vector<std::string> chain;
    addWithParents(userThemeName(), chain);
    if (std::ranges::find(chain, "hicolor") == chain.end() && theme("hicolor"))
        chain.push_back("hicolor");
    return chain;
}

std::optional<std::string> themedIconFile(const std::vector<std::string>& names, int size) {
    auto chain = iconThemeChain();
    for (const auto& name : names) {
        if (!isPlainName(name)) continue;
        for (const auto& themeName : chain) {
            if (auto file = lookUp(*theme(themeName), name, size)) return file;
        }
        for (const char* extension : {".png", ".svg", ".xpm"}) {
            fs::path file = fs::path("/usr/share/pixmaps") / (name + extension);
            if (isIconFile(file)) return file.string();
        }
    }
    return std::nullopt;
}

}  // namespace host
