#pragma once

// The one object that owns the program's long-lived parts, builds the main
// menu, and performs every manual toggle of the menu bar setting.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/HotKeyProblem.h"
#include "core/HotKeyState.h"
#include "kit/Menu.h"
#include "menubar/MenuBarRightClickMonitor.h"
#include "menubar/StatusItemOwner.h"
#include "rules/AppRuleEngine.h"
#include "shortcuts/HotKeyCenter.h"
#include "ui/SettingsWindowOwner.h"

class SettingsWindowController;
class StatusItemController;

// Owns the status item and the settings window, which call back through the
// narrow owner interfaces declared on their own floors.
class AppController final : public StatusItemOwner, public SettingsWindowOwner {
public:
    // The sources a manual toggle names in the log.
    static constexpr std::string_view sourceRightClick = "right-click on menu bar";
    static constexpr std::string_view sourceHotKey = "hotkey";
    static constexpr std::string_view sourceMenu = "menu";

    // Runs the start-up sequence and writes the launch line.
    AppController();
    ~AppController();
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // Flips the setting: reads it, writes the opposite, logs the source.
    void toggleAutoHide(std::string_view source);

    void toggleAutoHideFromMenu() override { toggleAutoHide(sourceMenu); }

    // Registers or unregisters the program as a login item; a refusal is
    // shown in an alert.
    void toggleLaunchAtLogin() override;

    // Turns the right-click toggle on or off and stores the choice.
    void setRightClickEnabled(bool enabled) override;
    bool rightClickEnabled() const override { return rightClickMonitor_->isEnabled(); }
    MenuBarRightClickMonitor& rightClickMonitor() { return *rightClickMonitor_; }
    AppRuleEngine& ruleEngine() override { return *ruleEngine_; }
    StatusItemController& statusItemController() { return *statusItemController_; }
    SettingsWindowController& settingsWindowController() { return *settingsWindowController_; }
    void showSettings() override;
    void statusIconStyleDidChange() override;

    // The shortcut half (AppControllerHotKey.cpp).
    const HotKeyState& hotKeyState() const override { return hotKeyState_; }
    std::optional<HotKey> activeHotKey() const override;
    std::string hotKeyDescription() const { return ::hotKeyDescription(hotKeyState_); }
    // Records or (with none) clears the user's shortcut. Absent on success;
    // a refused shortcut changes nothing and the previous one keeps working.
    std::optional<HotKeyProblem> setHotKey(const std::optional<HotKey>& hotKey) override;
    // Tests the shortcut again, so a conflict that appeared or went away since
    // the last look is shown.
    void refreshHotKeyState() override;

    // Installed by the settings window; told after every change it shows.
    std::function<void()> stateDidChange;
    void observeStateChanges(std::function<void()> observer) override {
        stateDidChange = std::move(observer);
    }
    void stateChanged() override {
        if (stateDidChange) stateDidChange();
    }

    // The application's main menu: the application, Edit and Window menus.
    static std::unique_ptr<kit::Menu> makeMainMenu();

private:
    void logLaunch() const;
    void showSettingsOnFirstLaunch();

    void establishHotKey();
    HotKeyState activate(const HotKey& hotKey);
    HotKeyState pickDefaultHotKey();
    void hotKeyPressed();
    void hotKeyStateDidChange();
    void keyboardLayoutDidChange();

    std::unique_ptr<MenuBarRightClickMonitor> rightClickMonitor_;
    std::unique_ptr<AppRuleEngine> ruleEngine_;
    std::unique_ptr<HotKeyCenter> hotKeyCenter_;
    std::unique_ptr<StatusItemController> statusItemController_;
    std::unique_ptr<SettingsWindowController> settingsWindowController_;
    HotKeyState hotKeyState_ = HotKeyStates::Off{};
    // Lets queued work notice that the controller is gone.
    std::shared_ptr<AppController*> alive_ = std::make_shared<AppController*>(this);
};
