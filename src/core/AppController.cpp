#include "core/AppController.h"

#include "housekeeping/Snapshot.h"
#include "kit/Alert.h"
#include "kit/Application.h"
#include "menubar/StatusItemController.h"
#include "platform/Logger.h"
#include "platform/Platform.h"
#include "prefs/LaunchAtLogin.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"
#include "prefs/UserDefaults.h"
#include "ui/SettingsWindowController.h"

namespace {

const char* onOff(bool on) {
    return on ? "on" : "off";
}

std::unique_ptr<kit::MenuItem> topLevelItem(std::string title, std::unique_ptr<kit::Menu> submenu) {
    auto item = std::make_unique<kit::MenuItem>(std::move(title), "", "");
    item->setSubmenu(std::move(submenu));
    return item;
}

std::unique_ptr<kit::Menu> applicationMenu() {
    auto menu = std::make_unique<kit::Menu>();
    menu->addItem("Settings\u2026", "showSettings:", ",");
    menu->addItem(kit::MenuItem::separator());
    menu->addItem("Quit Tarnwick", "terminate:", "q");
    return menu;
}

std::unique_ptr<kit::Menu> editMenu() {
    auto menu = std::make_unique<kit::Menu>("Edit");
    menu->addItem("Undo", "undo:", "z");
    menu->addItem("Redo", "redo:", "Z");
    menu->addItem(kit::MenuItem::separator());
    menu->addItem("Cut", "cut:", "x");
    menu->addItem("Copy", "copy:", "c");
    menu->addItem("Paste", "paste:", "v");
    menu->addItem("Select All", "selectAll:", "a");
    return menu;
}

std::unique_ptr<kit::Menu> windowMenu() {
    auto menu = std::make_unique<kit::Menu>("Window");
    menu->addItem("Close", "performClose:", "w");
    return menu;
}

}  // namespace

AppController::AppController() {
    UserDefaults::registerDefaults({{Preferences::rightClickToggleEnabledKey, true}});
    kit::Application::shared().setMainMenu(makeMainMenu());
    // The controller owns and so outlives the monitor and the center.
    rightClickMonitor_ =
        std::make_unique<MenuBarRightClickMonitor>([this] { toggleAutoHide(sourceRightClick); });
    rightClickMonitor_->setEnabled(
        UserDefaults::boolForKey(Preferences::rightClickToggleEnabledKey));
    hotKeyCenter_ = std::make_unique<HotKeyCenter>([this] { hotKeyPressed(); });
    ruleEngine_ = std::make_unique<AppRuleEngine>();
    ruleEngine_->onChange = [this] { stateChanged(); };
    statusItemController_ = std::make_unique<StatusItemController>(*this);
    settingsWindowController_ = std::make_unique<SettingsWindowController>(*this);
    platform::current().keyboardLayout.setChangeHandler([this] { keyboardLayoutDidChange(); });
    establishHotKey();
    statusItemController_->showHotKeyInMenu();
    Snapshot::run(*settingsWindowController_);
    if (!Snapshot::directory()) showSettingsOnFirstLaunch();
    logLaunch();
}

// The window and the status item call back into the controller while they
// go away, so they go first, before anything they reach.
AppController::~AppController() {
    platform::current().keyboardLayout.setChangeHandler(nullptr);
    settingsWindowController_.reset();
    statusItemController_.reset();
}

void AppController::showSettingsOnFirstLaunch() {
    if (UserDefaults::boolForKey(Preferences::didShowSettingsOnFirstLaunchKey)) return;
    UserDefaults::setBool(Preferences::didShowSettingsOnFirstLaunchKey, true);
    // On a later turn of the loop, after the launch line.
    std::weak_ptr<AppController*> alive = alive_;
    platform::current().runLoop.post([alive] {
        if (auto controller = alive.lock()) (*controller)->settingsWindowController_->show();
    });
}

void AppController::toggleAutoHide(std::string_view source) {
    bool on = !MenuBarAutoHide::isOn();
    if (MenuBarAutoHide::setOn(on)) ruleEngine_->userChoseState();
    Log::app().notice("Toggled via " + std::string(source) + ": auto-hide is now " + onOff(on));
}

void AppController::setRightClickEnabled(bool enabled) {
    rightClickMonitor_->setEnabled(enabled);
    UserDefaults::setBool(Preferences::rightClickToggleEnabledKey, enabled);
    stateChanged();
}

void AppController::showSettings() {
    settingsWindowController_->show();
}

void AppController::statusIconStyleDidChange() {
    statusItemController_->syncAutoHideState();
}

void AppController::toggleLaunchAtLogin() {
    auto failure = LaunchAtLogin::toggle();
    stateChanged();
    if (!failure) return;
    auto text = LaunchAtLogin::failureAlert(*failure);
    kit::Alert alert;
    alert.setMessageText(text.messageText);
    alert.setInformativeText(text.informativeText);
    for (const auto& title : text.buttons) alert.addButton(title);
    // In front, so the alert is seen.
    kit::Application::shared().activateIgnoringOtherApps();
    alert.runModal();
}

std::unique_ptr<kit::Menu> AppController::makeMainMenu() {
    auto menu = std::make_unique<kit::Menu>();
    menu->addItem(topLevelItem("Tarnwick", applicationMenu()));
    menu->addItem(topLevelItem("Edit", editMenu()));
    menu->addItem(topLevelItem("Window", windowMenu()));
    return menu;
}

void AppController::logLaunch() const {
    auto ruleCount = static_cast<long>(ruleEngine_->rules().size());
    Log::app().notice(std::string("Tarnwick launched; auto-hide ") +
                      onOff(MenuBarAutoHide::isOn()) + ", right-click toggle " +
                      (rightClickMonitor_->isEnabled() ? "enabled" : "disabled") + ", hotkey " +
                      hotKeyDescription() + ", " + std::to_string(ruleCount) + " app rule(s)");
}
