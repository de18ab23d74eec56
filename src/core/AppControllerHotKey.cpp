// The application controller's shortcut half: which shortcut is in force,
// choosing a free default at first launch, and the user's changes.

#include "core/AppController.h"
#include "kit/Window.h"
#include "menubar/StatusItemController.h"
#include "platform/Logger.h"
#include "prefs/Preferences.h"
#include "shortcuts/KeyCodeName.h"
#include "shortcuts/ServicesShortcuts.h"
#include "ui/SettingsWindowController.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

HotKeyState inactive(const HotKey& hotKey, const HotKeyProblem& problem) {
    return HotKeyStates::Inactive{hotKey, problem.message()};
}

}  // namespace

std::optional<HotKey> AppController::activeHotKey() const {
    const auto* active = std::get_if<HotKeyStates::Active>(&hotKeyState_);
    if (!active) return std::nullopt;
    return active->hotKey;
}

void AppController::establishHotKey() {
    if (!Preferences::hasStoredHotKey()) {
        hotKeyState_ = pickDefaultHotKey();
        return;
    }
    // A cleared shortcut (stored empty) or damage: no shortcut, no default.
    auto stored = Preferences::hotKey();
    if (!stored) return;
    hotKeyState_ = activate(*stored);
    if (auto* refused = std::get_if<HotKeyStates::Inactive>(&hotKeyState_)) {
        Log::app().error("Hotkey " + stored->displayText() + " not active: " + refused->reason);
    }
}

HotKeyState AppController::activate(const HotKey& hotKey) {
    if (auto problem = HotKeyProblem::usabilityProblem(hotKey)) return inactive(hotKey, *problem);
    if (hotKeyCenter_->current() == hotKey) return HotKeyStates::Active{hotKey};
    if (auto error = hotKeyCenter_->registerHotKey(hotKey)) {
        return inactive(hotKey, HotKeyProblem::forRegistrationError(*error));
    }
    return HotKeyStates::Active{hotKey};
}

HotKeyState AppController::pickDefaultHotKey() {
    HotKeyState result = HotKeyStates::Off{};
    for (const HotKey& candidate : HotKey::defaultCandidates()) {
        auto problem = HotKeyProblem::usabilityProblem(candidate);
        if (!problem && hotKeyCenter_->current() != candidate) {
            if (auto error = hotKeyCenter_->registerHotKey(candidate)) {
                problem = HotKeyProblem::forRegistrationError(*error);
            }
        }
        if (problem) {
            result = inactive(candidate, *problem);
            Log::app().notice("Default candidate " + candidate.displayText() +
                              " skipped: " + problem->message());
            continue;
        }
        Preferences::setHotKey(candidate);
        Log::app().notice("Chose default hotkey " + candidate.displayText());
        return HotKeyStates::Active{candidate};
    }
    // Nothing stored: the next launch tries the list again.
    return result;
}

std::optional<HotKeyProblem> AppController::setHotKey(const std::optional<HotKey>& hotKey) {
    if (!hotKey) {
        hotKeyCenter_->unregister();
        Preferences::setHotKey(std::nullopt);
        hotKeyState_ = HotKeyStates::Off{};
        hotKeyStateDidChange();
        return std::nullopt;
    }
    if (auto problem = HotKeyProblem::usabilityProblem(*hotKey)) return problem;

    auto previous = hotKeyCenter_->current();
    if (auto error = hotKeyCenter_->registerHotKey(*hotKey)) {
        // Put the old shortcut back; if even that fails, the state keeps
        // describing it.
        if (previous) hotKeyCenter_->registerHotKey(*previous);
        return HotKeyProblem::forRegistrationError(*error);
    }
    Preferences::setHotKey(*hotKey);
    hotKeyState_ = HotKeyStates::Active{*hotKey};
    Log::app().notice("Hotkey set to " + hotKey->displayText());
    hotKeyStateDidChange();
    return std::nullopt;
}

void AppController::refreshHotKeyState() {
    HotKeyState next = hotKeyState_;
    if (auto* refused = std::get_if<HotKeyStates::Inactive>(&hotKeyState_)) {
        next = activate(refused->hotKey);
        if (std::holds_alternative<HotKeyStates::Active>(next)) {
            Log::app().notice("Hotkey " + refused->hotKey.displayText() + " is available again");
        }
    } else if (auto* active = std::get_if<HotKeyStates::Active>(&hotKeyState_)) {
        // Only the checks: the registration stays, so a conflict that goes
        // away later needs no new registration.
        if (auto problem = HotKeyProblem::usabilityProblem(active->hotKey)) {
            next = inactive(active->hotKey, *problem);
        }
    }
    if (next == hotKeyState_) return;
    hotKeyState_ = std::move(next);
    hotKeyStateDidChange();
}

// The global registration takes the press before the recorder could see
// it, so while the recorder records, the press is the shortcut it records.
void AppController::hotKeyPressed() {
    const auto* active = std::get_if<HotKeyStates::Active>(&hotKeyState_);
    if (!settingsWindowController_->isShown() || !active ||
        !settingsWindowController_->recorder().isRecording()) {
        toggleAutoHide(sourceHotKey);
        return;
    }
    auto& window = settingsWindowController_->window();
    auto& recorder = settingsWindowController_->recorder();
    HotKey hotKey = active->hotKey;
    if (window.firstResponder() == &recorder) window.makeFirstResponder(nullptr);
    if (recorder.onRecord) recorder.onRecord(hotKey);
}

void AppController::hotKeyStateDidChange() {
    statusItemController_->showHotKeyInMenu();
    stateChanged();
}

// The same key now types something else: what was looked up by character
// goes, and everything that names the shortcut shows it afresh. The window
// also tests the shortcut again, as a Services shortcut may now be on it.
void AppController::keyboardLayoutDidChange() {
    KeyCodeName::layoutDidChange();
    ServicesShortcuts::forgetCache();
    hotKeyStateDidChange();
}
