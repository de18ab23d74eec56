#include "host/HostWorkspace.h"

#include <gio/gio.h>

namespace host {

bool HostWorkspace::openURL(const std::string& url) {
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error)) return true;
    g_error_free(error);
    return false;
}

platform::ObserverId HostWorkspace::observeActivations(ActivationHandler handler) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::move(handler));
    return id;
}

}  // namespace host
