#include "host/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace host {
namespace {

// XDG base directories ignore a relative path.
std::string environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : fallback;
}

}  // namespace

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string configHomeFolder() {
    auto home = homeFolder();
    return environment("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
}

std::string dataHomeFolder() {
    auto home = homeFolder();
    return environment("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
}

std::vector<std::string> dataFolders() {
    std::vector<std::string> folders;
    if (auto home = dataHomeFolder(); !home.empty()) folders.push_back(home);
    std::string dirs = environment("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    for (std::size_t start = 0; start <= dirs.size();) {
        auto end = std::min(dirs.find(':', start), dirs.size());
        if (end > start && dirs[start] == '/') folders.push_back(dirs.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

}  // namespace host
