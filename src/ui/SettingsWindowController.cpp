#include "ui/SettingsWindowController.h"

#include "housekeeping/Support.h"
#include "kit/Application.h"
#include "kit/Button.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "platform/Logger.h"
#include "platform/ModifierFlags.h"
#include "platform/Platform.h"
#include "prefs/LaunchAtLogin.h"
#include "prefs/Preferences.h"
#include "shortcuts/KeyCodeName.h"
#include "ui/AppRulesView.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

constexpr const char* commandOnlyNote =
    "Active. Note: \u2318-only shortcuts override the same shortcut in every app.";
constexpr double shownLogDelay = 0.5;

// Command alone or with Shift, on a key that types: every app's own ⌘
// shortcut for that key stops working.
bool overridesAppShortcuts(const HotKey& hotKey) {
    using namespace platform::ModifierFlags;
    if ((hotKey.modifiers & ~shift) != command) return false;
    return !KeyCodeName::functionKeys().contains(hotKey.keyCode);
}

std::optional<HotKey> shownHotKey(const HotKeyState& state) {
    if (const auto* active = std::get_if<HotKeyStates::Active>(&state)) return active->hotKey;
    if (const auto* inactive = std::get_if<HotKeyStates::Inactive>(&state)) return inactive->hotKey;
    return std::nullopt;
}

const char* trueFalse(bool value) {
    return value ? "true" : "false";
}

}  // namespace

SettingsWindowController::SettingsWindowController(SettingsWindowOwner& owner)
    : owner_(owner),
      window_(std::make_unique<kit::Window>(
          kit::Size{0, 0}, kit::WindowStyle::titled | kit::WindowStyle::closable)) {
    window_->setTitle(title);
    window_->setReleasedWhenClosed(false);
    window_->setCollectionBehavior(kit::CollectionBehavior::moveToActiveSpace |
                                   kit::CollectionBehavior::fullScreenAuxiliary);
    window_->setDelegate(this);
    window_->setNextResponder(this);
    std::weak_ptr<SettingsWindowController*> weak = alive_;
    owner_.observeStateChanges([weak] {
        auto self = weak.lock();
        if (self && (*self)->window_->isVisible()) (*self)->refresh();
    });
}

SettingsWindowController::~SettingsWindowController() {
    owner_.observeStateChanges(nullptr);
    window_->setDelegate(nullptr);
}

void SettingsWindowController::ensureContent() {
    if (built_) return;
    built_ = true;
    buildUI();
}

bool SettingsWindowController::isShown() const {
    return built_ && window_->isVisible();
}

void SettingsWindowController::show() {
    ensureContent();
    recorder_->stopRecording();
    refresh();
    if (!window_->isVisible()) window_->center();
    kit::Application::shared().activateIgnoringOtherApps();
    window_->makeKeyAndOrderFront();
    window_->orderFrontRegardless();
    logShownSoon();
}

void SettingsWindowController::logShownSoon() {
    std::weak_ptr<SettingsWindowController*> weak = alive_;
    platform::current().runLoop.scheduleTimer(shownLogDelay, false, [weak] {
        auto self = weak.lock();
        if (!self) return;
        auto& window = *(*self)->window_;
        Log::app().notice(std::string("Settings window shown: visible=") +
                          trueFalse(window.isVisible()) +
                          " key=" + trueFalse(window.isKeyWindow()) +
                          " onScreen=" + trueFalse(window.isOnScreen()) +
                          " appActive=" + trueFalse(kit::Application::shared().isActive()));
    });
}

void SettingsWindowController::apply(const std::optional<HotKey>& hotKey) {
    ensureContent();
    if (auto problem = owner_.setHotKey(hotKey)) {
        recorder_->setHotKey(shownHotKey(owner_.hotKeyState()));
        showStatus(problem->message(), true);
        return;
    }
    refresh();
    if (hotKey && overridesAppShortcuts(*hotKey)) showStatus(commandOnlyNote, false);
}

void SettingsWindowController::refresh() {
    if (!built_) return;
    refreshHotKey();
    rightClickCheckbox_->setState(owner_.rightClickEnabled() ? kit::ControlState::on
                                                             : kit::ControlState::off);
    refreshIcon();
    rulesView_->reload();
    refreshLaunchAtLogin();
}

void SettingsWindowController::refreshHotKey() {
    owner_.refreshHotKeyState();
    const auto& state = owner_.hotKeyState();
    recorder_->setHotKey(shownHotKey(state));
    if (const auto* inactive = std::get_if<HotKeyStates::Inactive>(&state)) {
        showStatus("Not active: " + inactive->reason, true);
        return;
    }
    showStatus(std::holds_alternative<HotKeyStates::Active>(state) ? "Active." : "No shortcut set.",
               false);
}

void SettingsWindowController::refreshIcon() {
    auto style = Preferences::iconStyle();
    iconPopUp_->selectItemWithRepresentedObject(std::string(StatusIconStyles::rawValue(style)));
    iconPreviewOn_->setImage(StatusIconStyles::image(style, true));
    iconPreviewOff_->setImage(StatusIconStyles::image(style, false));
}

void SettingsWindowController::refreshLaunchAtLogin() {
    auto status = LaunchAtLogin::status();
    bool waiting = status == platform::LoginItemStatus::requiresApproval;
    kit::ControlState state = kit::ControlState::off;
    if (status == platform::LoginItemStatus::enabled) state = kit::ControlState::on;
    if (waiting) state = kit::ControlState::mixed;
    launchAtLoginCheckbox_->setState(state);
    launchAtLoginNote_->setHidden(!waiting);
}

void SettingsWindowController::showStatus(std::string text, bool problem) {
    statusLabel_->setText(std::move(text));
    statusLabel_->setTextColor(problem ? kit::Color::systemRedColor()
                                       : kit::Color::secondaryLabelColor());
}

bool SettingsWindowController::tryToPerform(const kit::Action& action, kit::Responder* sender) {
    if (action == "clearShortcut:") {
        clearShortcut();
    } else if (action == "toggleRightClick:") {
        toggleRightClick();
    } else if (action == "chooseIcon:") {
        chooseIcon();
    } else if (action == "toggleLaunchAtLogin:") {
        owner_.toggleLaunchAtLogin();
    } else if (action == "openSupport:") {
        platform::current().workspace.openURL(Support::website());
    } else if (action == "openPrivacyPolicy:") {
        platform::current().workspace.openURL(Support::privacyPolicy());
    } else if (action == "emailSupport:") {
        Support::composeEmail();
    } else {
        return kit::Responder::tryToPerform(action, sender);
    }
    return true;
}

void SettingsWindowController::clearShortcut() {
    recorder_->stopRecording();
    apply(std::nullopt);
}

void SettingsWindowController::toggleRightClick() {
    owner_.setRightClickEnabled(rightClickCheckbox_->state() == kit::ControlState::on);
}

void SettingsWindowController::chooseIcon() {
    auto* item = iconPopUp_->selectedItem();
    if (!item || !item->representedObject()) return;
    const auto* raw = item->representedObject()->text();
    if (!raw) return;
    auto style = StatusIconStyles::fromRawValue(*raw);
    if (!style) return;
    Preferences::setIconStyle(*style);
    owner_.statusIconStyleDidChange();
    owner_.stateChanged();
}

void SettingsWindowController::windowDidBecomeKey(kit::Window&) {
    refresh();
}
void SettingsWindowController::windowDidResignKey(kit::Window&) {
    if (recorder_) recorder_->stopRecording();
}
void SettingsWindowController::windowWillClose(kit::Window&) {
    if (recorder_) recorder_->stopRecording();
}
