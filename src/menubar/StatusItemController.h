#pragma once

// The program's status item: an icon that shows whether the menu bar hides
// itself, in the chosen style, and a menu of toggles and housekeeping
// commands. It follows every change of the setting through the setting's
// change notification.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kit/Image.h"
#include "kit/Menu.h"
#include "kit/Responder.h"
#include "kit/StatusItem.h"
#include "menubar/StatusIconStyle.h"
#include "menubar/StatusItemOwner.h"
#include "platform/DistributedNotifications.h"

class StatusItemController : public kit::Responder, public kit::MenuDelegate {
public:
    // The menu's actions; every item's target is this object.
    static constexpr const char* toggleAutoHideAction = "toggleAutoHide:";
    static constexpr const char* toggleRightClickAction = "toggleRightClick:";
    static constexpr const char* toggleLaunchAtLoginAction = "toggleLaunchAtLogin:";
    static constexpr const char* showSettingsAction = "showSettings:";
    static constexpr const char* openSupportAction = "openSupport:";
    static constexpr const char* checkForUpdatesAction = "checkForUpdates:";
    static constexpr const char* quitAction = "quit:";

    // What the button shows: a picture, or (when there is none) a title.
    struct ButtonContent {
        std::optional<kit::Image> image;
        std::string title;
        bool operator==(const ButtonContent&) const = default;
    };
    using ImageLookup = std::function<std::optional<kit::Image>(StatusIconStyle, bool autoHideOn)>;
    // The style's picture of the state, else the menu bar style's, else an
    // arrow: ▲ while the bar hides itself, ▼ while it stays.
    static ButtonContent buttonContent(StatusIconStyle style, bool autoHideOn,
                                       const ImageLookup& images = StatusIconStyles::image);

    explicit StatusItemController(StatusItemOwner& owner);
    ~StatusItemController() override;
    StatusItemController(const StatusItemController&) = delete;
    StatusItemController& operator=(const StatusItemController&) = delete;

    // Icon, tooltip and the "Auto-hide Menu Bar" check mark from the setting.
    void syncAutoHideState();
    // Shows the active shortcut beside "Auto-hide Menu Bar".
    void showHotKeyInMenu();
    // The setting changed, here or in another process.
    void autoHideSettingChanged();

    void menuNeedsUpdate(kit::Menu& menu) override;
    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override;

    kit::StatusItem& statusItem() { return *statusItem_; }
    kit::MenuItem& autoHideItem() { return *autoHideItem_; }
    kit::MenuItem& rightClickItem() { return *rightClickItem_; }
    kit::MenuItem& launchAtLoginItem() { return *launchAtLoginItem_; }

private:
    std::unique_ptr<kit::Menu> makeMenu();
    kit::MenuItem& addItem(kit::Menu& menu, std::string title, kit::Action action,
                           std::string keyEquivalent);
    void showAutoHideState(bool on);
    void showLaunchAtLoginStatus();

    void toggleAutoHide();
    void toggleRightClick();

    StatusItemOwner& owner_;
    std::unique_ptr<kit::StatusItem> statusItem_;
    // Owned by the menu, which the status item owns.
    kit::MenuItem* autoHideItem_ = nullptr;
    kit::MenuItem* rightClickItem_ = nullptr;
    kit::MenuItem* launchAtLoginItem_ = nullptr;
    platform::ObserverId settingObserver_ = 0;
};
