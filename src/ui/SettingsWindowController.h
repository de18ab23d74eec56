#pragma once

// The program's one window: every setting in a column of labelled rows. It
// stores nothing itself; each control calls an operation of the application
// controller, and refresh() redraws every control from the current state.
// Closing only hides it; show() brings the same window back.

#include <memory>
#include <optional>

#include "kit/Responder.h"
#include "kit/Window.h"
#include "shortcuts/HotKey.h"

class AppController;
class AppRulesView;
class ShortcutRecorderControl;

namespace kit {
class Button;
class ImageView;
class Label;
class PopUpButton;
}  // namespace kit

class SettingsWindowController : public kit::Responder, public kit::WindowDelegate {
public:
    explicit SettingsWindowController(AppController& controller);
    ~SettingsWindowController() override;
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    void show();
    // Tries a shortcut, or with none removes it, and shows the outcome.
    void apply(const std::optional<HotKey>& hotKey);
    void refresh();

    // Lets queued work notice that the controller is gone.
    std::weak_ptr<SettingsWindowController*> weakHandle() const { return alive_; }

    kit::Window& window() { return *window_; }
    ShortcutRecorderControl& recorder() { return *recorder_; }

private:
    AppController& controller_;
    ShortcutRecorderControl* recorder_ = nullptr;
    std::unique_ptr<kit::Window> window_;
    std::shared_ptr<SettingsWindowController*> alive_ = std::make_shared<SettingsWindowController*>(this);
};
