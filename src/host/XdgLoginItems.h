#pragma once

// Launch at login as an XDG autostart entry,
// <config folder>/autostart/<bundle identifier>.desktop, which desktop
// sessions start when the user logs in.

#include <string>

#include "platform/LoginItems.h"
#include "platform/ProcessInfo.h"

namespace host {

// An Exec value for one program path: quoted, with the Desktop Entry escapes,
// when it holds a reserved character, and with "%" doubled so no part of it
// reads as a field code.
std::string desktopExecValue(const std::string& program);

class XdgLoginItems : public platform::LoginItems {
public:
    // `configFolder` is the user's configuration folder, see
    // defaultConfigFolder(); `bundle` names the entry and gives the program.
    XdgLoginItems(std::string configFolder, platform::BundleInfo bundle);

    // ${XDG_CONFIG_HOME:-$HOME/.config}
    static std::string defaultConfigFolder();

    std::string autostartFolder() const { return configFolder_ + "/autostart"; }
    std::string entryPath() const;

    // Enabled while the entry exists and is not hidden or switched off; never
    // requiresApproval or notFound, which Linux has no counterpart for.
    platform::LoginItemStatus status() override;
    std::optional<platform::LoginItemError> registerItem() override;
    // An entry that is already gone counts as removed.
    std::optional<platform::LoginItemError> unregisterItem() override;
    // Opens the autostart folder with the default file manager: where the
    // user sees and removes entries. Failure is ignored.
    void openSystemSettingsLoginItems() override;

private:
    std::string entryText() const;

    std::string configFolder_;
    platform::BundleInfo bundle_;
};

}  // namespace host
