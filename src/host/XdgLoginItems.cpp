#include "host/XdgLoginItems.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <memory>

#include "host/GLibOwners.h"
#include "host/XdgFolders.h"

namespace host {
namespace {

constexpr const char* group = "Desktop Entry";

platform::LoginItemError failure(const std::string& action, const std::string& path,
                                 const std::string& reason) {
    return {"Couldn't " + action + " " + path + ": " + reason};
}

// GLib's file errors end with the system's text for the errno, after file
// names that would only repeat our own (a temporary one among them).
std::string systemReason(const GError* error) {
    std::string message = error->message;
    auto colon = message.rfind(": ");
    return colon == std::string::npos ? message : message.substr(colon + 2);
}

bool enabledEntry(GKeyFile* file) {
    // Missing keys read as false / absent, which is what they mean.
    if (g_key_file_get_boolean(file, group, "Hidden", nullptr)) return false;
    GError* error = nullptr;
    bool enabled = g_key_file_get_boolean(file, group, "X-GNOME-Autostart-enabled", &error);
    if (!error) return enabled;
    g_error_free(error);
    return true;
}

}  // namespace

std::string desktopExecValue(const std::string& program) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = program.find_first_of(reserved) != std::string::npos;
    std::string value = quote ? "\"" : "";
    for (char c : program) {
        if (c == '%') value += '%';
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) value += '\\';
        value += c;
    }
    if (quote) value += '"';
    return value;
}

XdgLoginItems::XdgLoginItems(std::string configFolder, platform::BundleInfo bundle)
    : configFolder_(std::move(configFolder)), bundle_(std::move(bundle)) {}

std::string XdgLoginItems::defaultConfigFolder() {
    return configHomeFolder();
}

std::string XdgLoginItems::entryPath() const {
    return autostartFolder() + "/" + bundle_.identifier + ".desktop";
}

platform::LoginItemStatus XdgLoginItems::status() {
    KeyFile file(g_key_file_new());
    // A file a session cannot read or parse starts nothing.
    if (!g_key_file_load_from_file(file.get(), entryPath().c_str(), G_KEY_FILE_NONE, nullptr)) {
        return platform::LoginItemStatus::notRegistered;
    }
    return enabledEntry(file.get()) ? platform::LoginItemStatus::enabled
                                    : platform::LoginItemStatus::notRegistered;
}

std::string XdgLoginItems::entryText() const {
    KeyFile file(g_key_file_new());
    g_key_file_set_string(file.get(), group, "Type", "Application");
    g_key_file_set_string(file.get(), group, "Name", bundle_.name.c_str());
    g_key_file_set_string(file.get(), group, "Exec",
                          desktopExecValue(bundle_.executablePath).c_str());
    g_key_file_set_boolean(file.get(), group, "X-GNOME-Autostart-enabled", TRUE);
    gsize length = 0;
    GText data(g_key_file_to_data(file.get(), &length, nullptr));
    return std::string(data.get(), length);
}

std::optional<platform::LoginItemError> XdgLoginItems::registerItem() {
    auto path = entryPath();
    if (bundle_.executablePath.empty()) {
        return failure("write", path, "the program's executable is unknown");
    }
    if (g_mkdir_with_parents(autostartFolder().c_str(), 0700) != 0) {
        return failure("write", path, g_strerror(errno));
    }
    auto text = entryText();
    GError* error = nullptr;
    if (g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), &error)) {
        return std::nullopt;
    }
    auto result = failure("write", path, systemReason(error));
    g_error_free(error);
    return result;
}

std::optional<platform::LoginItemError> XdgLoginItems::unregisterItem() {
    auto path = entryPath();
    // Under a path that is not a folder there is no entry either.
    if (g_remove(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return failure("remove", path, g_strerror(errno));
}

void XdgLoginItems::openSystemSettingsLoginItems() {
    // An empty folder to look at beats an error about a missing one.
    g_mkdir_with_parents(autostartFolder().c_str(), 0700);
    GText uri(g_filename_to_uri(autostartFolder().c_str(), nullptr, nullptr));
    if (!uri) return;
    g_app_info_launch_default_for_uri(uri.get(), nullptr, nullptr);
}

}  // namespace host
