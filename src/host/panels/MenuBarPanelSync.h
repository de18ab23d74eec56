#pragma once

// The desktop's half of the menu bar setting: on Linux the menu bar is the
// panel along the top, and it hides only when the panel program's own
// auto-hide says so. This keeps the two in step both ways: every announced
// change of the setting goes to the panel, and every change made to the
// panel elsewhere (its preferences, xfconf-query, an edited panel.conf) is
// stored and announced as the setting. On a desktop whose panel we cannot
// drive the setting is only stored.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/panels/PanelAutoHide.h"
#include "host/panels/PanelFinder.h"
#include "platform/DistributedNotifications.h"

typedef struct _GDBusConnection GDBusConnection;

namespace host {

// The program's own reads and writes of the setting, so a change from the
// panel takes the same path as any other: stored, made durable, announced.
struct MenuBarSetting {
    std::function<bool()> isOn;
    std::function<bool(bool)> setOn;
    std::string changedNotification;
};

class MenuBarPanelSync {
public:
    MenuBarPanelSync(X11Connection& connection,
                     platform::DistributedNotificationCenter& notifications, MenuBarSetting setting,
                     PanelLog log);
    ~MenuBarPanelSync();
    MenuBarPanelSync(const MenuBarPanelSync&) = delete;
    MenuBarPanelSync& operator=(const MenuBarPanelSync&) = delete;

    // Finds the panel and takes its state as the setting: what the user sees
    // is the truth at start-up. From then on follows both sides.
    void start();

    // Puts the stored setting on the panel now and waits, briefly, for that
    // to finish: the program is ending and its last change (a rule's value
    // put back) must not wait for a run loop that no longer turns.
    void finish();

private:
    void look();
    std::optional<RunningPanel> drivablePanel(const DockWindows& windows) const;
    // Starts following the panel; answers its auto-hide as it stands.
    std::optional<bool> use(const RunningPanel& panel);
    void panelChanged();
    void applySetting();
    std::string describe(const DockWindows& windows) const;

    GDBusConnection* bus_ = nullptr;
    PanelFinder finder_;
    platform::DistributedNotificationCenter& notifications_;
    MenuBarSetting setting_;
    PanelLog log_;
    std::optional<RunningPanel> panel_;
    std::unique_ptr<PanelAutoHide> autoHide_;
    std::optional<platform::ObserverId> observer_;
    unsigned nameWatch_ = 0;
};

}  // namespace host
