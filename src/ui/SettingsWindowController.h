#pragma once

// The program's one window: every setting in a column of labelled rows. It
// stores nothing itself; each control calls an operation of its owner (the
// application controller), and refresh() redraws every control from the
// current state. Closing only hides it; show() brings the same window back.

#include <memory>
#include <optional>
#include <string>

#include "kit/Responder.h"
#include "kit/Window.h"
#include "shortcuts/HotKey.h"
#include "ui/SettingsWindowOwner.h"

class AppRulesView;
class ShortcutRecorderControl;

namespace kit {
class Button;
class ImageView;
class Label;
class PopUpButton;
class View;
}  // namespace kit

class SettingsWindowController : public kit::Responder, public kit::WindowDelegate {
public:
    static constexpr const char* title = "Tarnwick Settings";

    explicit SettingsWindowController(SettingsWindowOwner& owner);
    ~SettingsWindowController() override;
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    // Brings the window forward, up to date, and makes it key.
    void show();
    // Tries a shortcut, or with none removes it, and shows the outcome.
    void apply(const std::optional<HotKey>& hotKey);
    void refresh();
    // Whether the window is on screen; asking does not build its rows.
    bool isShown() const;

    // Lets queued work notice that the controller is gone.
    std::weak_ptr<SettingsWindowController*> weakHandle() const { return alive_; }

    kit::Window& window() { ensureContent(); return *window_; }
    ShortcutRecorderControl& recorder() { ensureContent(); return *recorder_; }
    kit::Button& clearButton() { ensureContent(); return *clearButton_; }
    kit::Label& statusLabel() { ensureContent(); return *statusLabel_; }
    kit::Button& rightClickCheckbox() { ensureContent(); return *rightClickCheckbox_; }
    kit::Button& launchAtLoginCheckbox() { ensureContent(); return *launchAtLoginCheckbox_; }
    kit::Label& launchAtLoginNote() { ensureContent(); return *launchAtLoginNote_; }
    kit::PopUpButton& iconPopUp() { ensureContent(); return *iconPopUp_; }
    AppRulesView& rulesView() { ensureContent(); return *rulesView_; }
    kit::ImageView& iconPreviewOn() { ensureContent(); return *iconPreviewOn_; }
    kit::ImageView& iconPreviewOff() { ensureContent(); return *iconPreviewOff_; }

    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override;
    void windowDidBecomeKey(kit::Window& window) override;
    void windowDidResignKey(kit::Window& window) override;
    void windowWillClose(kit::Window& window) override;

private:
    // Builds the rows the first time they are needed (SettingsWindowContent.cpp):
    // laying out text loads the fonts, which a copy that never shows the
    // window, and the moments before the launch line, can do without.
    void ensureContent();
    void buildUI();
    std::unique_ptr<kit::View> makeGrid();
    std::unique_ptr<kit::View> recorderLine();
    std::unique_ptr<kit::View> previewLine();
    std::unique_ptr<kit::View> linkLine();
    void fillIconPopUp();
    std::unique_ptr<kit::Button> linkButton(std::string title, kit::Action action);
    static std::unique_ptr<kit::Label> caption(std::string text);

    void refreshHotKey();
    void refreshIcon();
    void refreshLaunchAtLogin();
    void showStatus(std::string text, bool problem);
    void logShownSoon();

    void clearShortcut();
    void toggleRightClick();
    void chooseIcon();

    SettingsWindowOwner& owner_;
    // Owned by the window's views.
    ShortcutRecorderControl* recorder_ = nullptr;
    kit::Button* clearButton_ = nullptr;
    kit::Label* statusLabel_ = nullptr;
    kit::Button* rightClickCheckbox_ = nullptr;
    kit::Button* launchAtLoginCheckbox_ = nullptr;
    kit::Label* launchAtLoginNote_ = nullptr;
    kit::PopUpButton* iconPopUp_ = nullptr;
    AppRulesView* rulesView_ = nullptr;
    kit::ImageView* iconPreviewOn_ = nullptr;
    kit::ImageView* iconPreviewOff_ = nullptr;
    std::unique_ptr<kit::Window> window_;
    bool built_ = false;
    std::shared_ptr<SettingsWindowController*> alive_ =
        std::make_shared<SettingsWindowController*>(this);
};
