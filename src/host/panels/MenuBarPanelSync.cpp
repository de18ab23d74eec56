#include "host/panels/MenuBarPanelSync.h"

#include <gio/gio.h>

#include <cstdlib>
#include <utility>

#include "host/panels/LxqtPanelAutoHide.h"
#include "host/panels/XfcePanelAutoHide.h"

namespace host {
namespace {

using platform::LogLevel;

// Xfce's panel owns this name on the bus it takes its settings from.
constexpr const char* xfcePanelService = "org.xfce.Panel";
// How long an ending program waits for a panel restart it started.
constexpr double finishSeconds = 3;

const char* onOff(bool on) {
    return on ? "on" : "off";
}

std::optional<int> busOwnerProcess(GDBusConnection* bus, const char* name) {
    if (!bus) return std::nullopt;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID", g_variant_new("(s)", name), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
    if (!reply) return std::nullopt;
    guint32 pid = 0;
    g_variant_get(reply, "(u)", &pid);
    return static_cast<int>(pid);
}

std::string panelName(const RunningPanel& panel) {
    std::string name = panelProgramName(panel.program);
    if (panel.processIdentifier > 0)
        name += " (pid " + std::to_string(panel.processIdentifier) + ")";
    return name;
}

}  // namespace

MenuBarPanelSync::MenuBarPanelSync(X11Connection& connection,
                                   platform::DistributedNotificationCenter& notifications,
                                   MenuBarSetting setting, PanelLog log)
    : bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)),
      finder_(connection),
      notifications_(notifications),
      setting_(std::move(setting)),
      log_(std::move(log)) {}

MenuBarPanelSync::~MenuBarPanelSync() {
    if (observer_) notifications_.removeObserver(*observer_);
    if (nameWatch_) g_bus_unwatch_name(nameWatch_);
    autoHide_.reset();
    if (bus_) g_object_unref(bus_);
}

void MenuBarPanelSync::start() {
    DockWindows windows = finder_.find();
    panel_ = drivablePanel(windows);
    if (!panel_) {
        log_(LogLevel::defaultLevel, describe(windows));
    } else {
        auto panelOn = use(*panel_);
        if (panelOn && *panelOn != setting_.isOn()) {
            setting_.setOn(*panelOn);
            log_(LogLevel::defaultLevel, std::string("Auto-hide taken from ") +
                                             panelProgramName(panel_->program) + ": " +
                                             onOff(*panelOn));
        }
    }
    observer_ = notifications_.addObserver(setting_.changedNotification,
                                           [this](const auto&, const auto&) { applySetting(); });
    finder_.setChangeHandler([this] { look(); });
    if (!bus_) return;
    nameWatch_ = g_bus_watch_name_on_connection(
        bus_, xfcePanelService, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const char*, const char*, gpointer self) {
            static_cast<MenuBarPanelSync*>(self)->look();
        },
        [](GDBusConnection*, const char*, gpointer self) {
            static_cast<MenuBarPanelSync*>(self)->look();
        },
        this, nullptr);
}

void MenuBarPanelSync::finish() {
    applySetting();
    if (!autoHide_) return;
    autoHide_->finish(finishSeconds);
}

// A panel that starts, restarts or goes away after start-up. One that comes
// later is given the stored setting: by then rules and the user have acted
// on it, while the panel only read its last saved state.
void MenuBarPanelSync::look() {
    DockWindows windows = finder_.find();
    auto found = drivablePanel(windows);
    if (found == panel_) return;
    // Our own restart of the panel takes it away for a moment.
    if (!found && autoHide_ && autoHide_->busy()) return;
    auto previous = std::exchange(panel_, found);
    if (found && previous && found->program == previous->program) return applySetting();
    autoHide_.reset();
    if (previous) {
        log_(LogLevel::defaultLevel, "Menu bar panel " + panelName(*previous) +
                                         " has gone; the auto-hide setting is only stored");
    }
    if (!found) return;
    use(*found);
    applySetting();
}

std::optional<RunningPanel> MenuBarPanelSync::drivablePanel(const DockWindows& windows) const {
    if (!windows.panel) return std::nullopt;
    // The panel on this display must be the one on this bus that reads the
    // settings we change, not one of another session.
    if (windows.panel->program == PanelProgram::xfce &&
        busOwnerProcess(bus_, xfcePanelService) != windows.panel->processIdentifier) {
        return std::nullopt;
    }
    return windows.panel;
}

std::optional<bool> MenuBarPanelSync::use(const RunningPanel& panel) {
    if (panel.program == PanelProgram::xfce) {
        autoHide_ = std::make_unique<XfcePanelAutoHide>(bus_);
    } else {
        autoHide_ =
            std::make_unique<LxqtPanelAutoHide>(bus_, LxqtPanelAutoHide::defaultConfigPath(), log_);
    }
    autoHide_->setChangeHandler([this] { panelChanged(); });
    auto panelOn = autoHide_->autoHide();
    log_(LogLevel::defaultLevel,
         "Menu bar panel: " + panelName(panel) +
             (panelOn ? "; its top panel follows the auto-hide setting"
                      : " has no panel along the top; the auto-hide setting is only stored"));
    return panelOn;
}

// Someone changed the panel's own setting (or we did, and this is the echo,
// which finds nothing to do).
void MenuBarPanelSync::panelChanged() {
    if (!autoHide_ || !panel_) return;
    auto panelOn = autoHide_->autoHide();
    if (!panelOn || *panelOn == setting_.isOn()) return;
    setting_.setOn(*panelOn);
    log_(LogLevel::defaultLevel, std::string("Auto-hide changed in ") +
                                     panelProgramName(panel_->program) + ": " + onOff(*panelOn));
}

void MenuBarPanelSync::applySetting() {
    if (!autoHide_ || !panel_) return;
    bool on = setting_.isOn();
    auto failure = autoHide_->setAutoHide(on);
    if (failure.empty()) return;
    log_(LogLevel::error, "Couldn't turn auto-hide " + std::string(onOff(on)) + " for " +
                              panelName(*panel_) + ": " + failure);
}

std::string MenuBarPanelSync::describe(const DockWindows& windows) const {
    std::string found;
    if (windows.panel) {
        found = panelProgramName(windows.panel->program) +
                std::string(" runs on this display but not on this session bus");
    } else if (!windows.otherOwners.empty()) {
        found = "panels of";
        for (const auto& owner : windows.otherOwners) found += " " + owner;
    } else {
        found = "no panel";
    }
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop && *desktop) found += " on " + std::string(desktop);
    return "No menu bar panel we can hide (found " + found +
           "); the auto-hide setting is only stored";
}

}  // namespace host
