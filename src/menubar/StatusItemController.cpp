#include "menubar/StatusItemController.h"

#include <array>
#include <utility>

#include "housekeeping/Support.h"
#include "kit/Application.h"
#include "platform/Platform.h"
#include "prefs/LaunchAtLogin.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"
#include "shortcuts/KeyCodeName.h"

namespace {

constexpr const char* rightClickToolTip =
    "Control-click works too. Clicks on status items and open menus are left alone.";

kit::ControlState checkMark(bool on) {
    return on ? kit::ControlState::on : kit::ControlState::off;
}

void openURL(const std::string& url) {
    platform::current().workspace.openURL(url);
}

}  // namespace

StatusItemController::ButtonContent StatusItemController::buttonContent(StatusIconStyle style,
                                                                        bool autoHideOn,
                                                                        const ImageLookup& images) {
    auto image = images(style, autoHideOn);
    if (!image) image = images(StatusIconStyle::menuBar, autoHideOn);
    if (image) return {std::move(image), ""};
    return {std::nullopt, autoHideOn ? "\u25B2" : "\u25BC"};
}

StatusItemController::StatusItemController(StatusItemOwner& owner)
    : owner_(owner), statusItem_(kit::StatusItem::create(kit::StatusItem::squareLength)) {
    statusItem_->setMenu(makeMenu());
    syncAutoHideState();
    // Another program, a rule or the shortcut may change the setting; the
    // icon shows it at once.
    settingObserver_ = platform::current().distributedNotifications.addObserver(
        MenuBarAutoHide::changedNotification,
        [this](const std::string&, const std::optional<std::string>&) {
            autoHideSettingChanged();
        });
}

StatusItemController::~StatusItemController() {
    platform::current().distributedNotifications.removeObserver(settingObserver_);
}

std::unique_ptr<kit::Menu> StatusItemController::makeMenu() {
    auto menu = std::make_unique<kit::Menu>();
    autoHideItem_ = &addItem(*menu, "Auto-hide Menu Bar", toggleAutoHideAction, "");
    menu->addItem(kit::MenuItem::separator());
    rightClickItem_ = &addItem(*menu, "Right-click Menu Bar to Toggle", toggleRightClickAction, "");
    rightClickItem_->setToolTip(rightClickToolTip);
    launchAtLoginItem_ = &addItem(*menu, "Launch at Login", toggleLaunchAtLoginAction, "");
    menu->addItem(kit::MenuItem::separator());
    addItem(*menu, "Settings\u2026", showSettingsAction, ",");
    addItem(*menu, "Support\u2026", openSupportAction, "");
    addItem(*menu, "Check for Updates\u2026", checkForUpdatesAction, "");
    addItem(*menu, "Quit Tarnwick", quitAction, "q");
    menu->setDelegate(this);
    return menu;
}

kit::MenuItem& StatusItemController::addItem(kit::Menu& menu, std::string title, kit::Action action,
                                             std::string keyEquivalent) {
    auto& item = menu.addItem(std::move(title), std::move(action), std::move(keyEquivalent));
    item.setTarget(this);
    return item;
}

void StatusItemController::syncAutoHideState() {
    bool on = MenuBarAutoHide::isOn();
    bool markChanged = autoHideItem_->state() != checkMark(on);
    autoHideItem_->setState(checkMark(on));
    showAutoHideState(on);
    // Keeps the panel's copy of the menu current between openings too.
    if (markChanged) statusItem_->menuDidChange();
}

void StatusItemController::showAutoHideState(bool on) {
    auto content = buttonContent(Preferences::iconStyle(), on);
    auto& button = statusItem_->button();
    button.setImage(std::move(content.image));
    button.setTitle(std::move(content.title));
    button.setToolTip(on ? StatusIconStyles::autoHideOnDescription
                         : StatusIconStyles::autoHideOffDescription);
}

void StatusItemController::showHotKeyInMenu() {
    std::optional<std::string> keyEquivalent;
    std::uint64_t modifiers = 0;
    if (auto active = owner_.activeHotKey()) {
        keyEquivalent = KeyCodeName::menuKeyEquivalent(active->keyCode);
        modifiers = active->modifiers;
    }
    autoHideItem_->setKeyEquivalent(keyEquivalent.value_or(""));
    autoHideItem_->setKeyEquivalentModifierMask(keyEquivalent ? modifiers : 0);
    // The active shortcut is registered system-wide (see HotKeyCenter).
    autoHideItem_->setKeyEquivalentIsGlobal(keyEquivalent.has_value());
    statusItem_->menuDidChange();
}

void StatusItemController::autoHideSettingChanged() {
    syncAutoHideState();
}

void StatusItemController::menuNeedsUpdate(kit::Menu&) {
    syncAutoHideState();
    rightClickItem_->setState(checkMark(owner_.rightClickEnabled()));
    showLaunchAtLoginStatus();
}

void StatusItemController::showLaunchAtLoginStatus() {
    auto status = LaunchAtLogin::status();
    if (status == platform::LoginItemStatus::requiresApproval) {
        launchAtLoginItem_->setState(kit::ControlState::mixed);
        launchAtLoginItem_->setToolTip(LaunchAtLogin::waitingForApprovalText);
        return;
    }
    launchAtLoginItem_->setState(checkMark(status == platform::LoginItemStatus::enabled));
    launchAtLoginItem_->setToolTip("");
}

bool StatusItemController::tryToPerform(const kit::Action& action, kit::Responder* sender) {
    using Handler = void (*)(StatusItemController&);
    static const std::array<std::pair<const char*, Handler>, 7> handlers{{
        {toggleAutoHideAction, [](StatusItemController& self) { self.toggleAutoHide(); }},
        {toggleRightClickAction, [](StatusItemController& self) { self.toggleRightClick(); }},
        {toggleLaunchAtLoginAction,
         [](StatusItemController& self) { self.owner_.toggleLaunchAtLogin(); }},
        {showSettingsAction, [](StatusItemController& self) { self.owner_.showSettings(); }},
        {openSupportAction, [](StatusItemController&) { openURL(Support::website()); }},
        {checkForUpdatesAction, [](StatusItemController&) { openURL(Support::updatePage()); }},
        {quitAction, [](StatusItemController&) { kit::Application::shared().terminate(nullptr); }},
    }};
    for (const auto& [name, handler] : handlers) {
        if (action != name) continue;
        handler(*this);
        return true;
    }
    return kit::Responder::tryToPerform(action, sender);
}

void StatusItemController::toggleAutoHide() {
    owner_.toggleAutoHideFromMenu();
    syncAutoHideState();
}

void StatusItemController::toggleRightClick() {
    owner_.setRightClickEnabled(!owner_.rightClickEnabled());
    rightClickItem_->setState(checkMark(owner_.rightClickEnabled()));
    statusItem_->menuDidChange();
}
