#include "host/HostWorkspace.h"

#include <gio/gio.h>

namespace host {

bool HostWorkspace::openURL(const std::string& url) {
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error)) return true;
    g_error_free(error);
    return false;
}

std::string HostWorkspace::displayName(const std::string& path) {
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
