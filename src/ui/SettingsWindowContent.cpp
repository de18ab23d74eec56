// The settings window's rows: titles right-aligned in the first column,
// controls in the second, standing on one baseline, 20 points from the edges.

#include <memory>

#include "housekeeping/Support.h"
#include "kit/Button.h"
#include "kit/GridView.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/StackView.h"
#include "menubar/StatusIconStyle.h"
#include "prefs/LaunchAtLogin.h"
#include "ui/AppRulesView.h"
#include "ui/SettingsWindowController.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

constexpr double margin = 20;
constexpr double narrowWrap = 330;
constexpr double wideWrap = 360;
constexpr double previewSide = 18;

struct IconChoice {
    const char* title;
    StatusIconStyle style;
};

constexpr IconChoice iconChoices[] = {
    {"Menu bar", StatusIconStyle::menuBar},  {"Arrows", StatusIconStyle::arrows},
    {"Chevrons", StatusIconStyle::chevrons}, {"Triangles", StatusIconStyle::triangles},
    {"Eye", StatusIconStyle::eye},           {"Pin", StatusIconStyle::pin},
    {"Bar", StatusIconStyle::bar},
};

std::unique_ptr<kit::Label> rowTitle(std::string text) {
    auto label = std::make_unique<kit::Label>(std::move(text));
    label->setAlignment(kit::Label::Alignment::right);
    return label;
}

// Small secondary text wrapping at `width`.
std::unique_ptr<kit::Label> hint(std::string text, double width) {
    auto label = std::make_unique<kit::Label>(std::move(text));
    label->setControlSize(kit::ControlSize::small);
    label->setTextColor(kit::Color::secondaryLabelColor());
    label->setPreferredMaxLayoutWidth(width);
    return label;
}

}  // namespace

void SettingsWindowController::buildUI() {
    auto content = std::make_unique<kit::View>();
    auto& grid = content->addSubview(makeGrid());
    std::weak_ptr<SettingsWindowController*> weak = alive_;
    recorder_->onRecord = [weak](std::optional<HotKey> hotKey) {
        if (auto self = weak.lock()) (*self)->apply(hotKey);
    };
    window_->setContentView(std::move(content));
    // The status line and the login note come and go, and the rules list
    // grows: the window follows.
    window_->sizeToFit(grid, {margin, margin, margin, margin});
}

std::unique_ptr<kit::View> SettingsWindowController::makeGrid() {
    auto grid = std::make_unique<kit::GridView>();
    grid->setRowSpacing(8);
    grid->setColumnSpacing(10);
    grid->setRowAlignment(kit::GridRowAlignment::firstBaseline);

    grid->addRow(rowTitle("Keyboard shortcut:"), recorderLine());

    auto status = hint("", narrowWrap);
    status->setMinimumHeight(32);
    statusLabel_ = status.get();
    grid->addRow(nullptr, std::move(status)).setTopPadding(-4);
    grid->addRow(nullptr,
                 hint("Toggles auto-hide from any app. Combinations with \u2303 or \u2325 are the "
                      "least likely to clash with other shortcuts.",
                      narrowWrap))
        .setBottomPadding(12);

    auto rightClick = std::make_unique<kit::Button>("Right-click the menu bar to toggle auto-hide",
                                                    kit::Button::Type::checkbox);
    rightClick->setTarget(this);
    rightClick->setAction("toggleRightClick:");
    rightClickCheckbox_ = rightClick.get();
    grid->addRow(rowTitle("Menu bar:"), std::move(rightClick));

    auto popUp = std::make_unique<kit::PopUpButton>();
    popUp->setTarget(this);
    popUp->setAction("chooseIcon:");
    iconPopUp_ = popUp.get();
    fillIconPopUp();
    grid->addRow(rowTitle("Icon:"), std::move(popUp));
    auto& previews = grid->addRow(nullptr, previewLine());
    previews.setTopPadding(-4);
    previews.setBottomPadding(4);

    auto rules = std::make_unique<AppRulesView>(owner_.ruleEngine());
    rulesView_ = rules.get();
    auto& rulesRow = grid->addRow(rowTitle("Per-app rules:"), std::move(rules));
    rulesRow.setRowAlignment(kit::GridRowAlignment::none);
    rulesRow.setYPlacement(kit::GridYPlacement::top);
    auto& rulesHint = grid->addRow(
        nullptr,
        hint("While one of these apps is in front, the menu bar follows its rule; switching "
             "away restores your previous setting.",
             wideWrap));
    rulesHint.setTopPadding(-2);
    rulesHint.setBottomPadding(4);

    auto login = std::make_unique<kit::Button>("Launch at login", kit::Button::Type::checkbox);
    login->setTarget(this);
    login->setAction("toggleLaunchAtLogin:");
    login->setAllowsMixedState(true);
    launchAtLoginCheckbox_ = login.get();
    grid->addRow(rowTitle("Startup:"), std::move(login));
    auto note = hint(LaunchAtLogin::waitingForApprovalText, narrowWrap);
    launchAtLoginNote_ = note.get();
    grid->addRow(nullptr, std::move(note)).setTopPadding(-6);

    grid->addRow(rowTitle("Help:"), linkLine()).setTopPadding(6);
    grid->column(0).setXPlacement(kit::GridXPlacement::trailing);
    return grid;
}

std::unique_ptr<kit::View> SettingsWindowController::recorderLine() {
    auto line = std::make_unique<kit::StackView>();
    line->setSpacing(8);
    auto recorder = std::make_unique<ShortcutRecorderControl>();
    recorder_ = recorder.get();
    line->addArrangedSubview(std::move(recorder));
    auto clear = std::make_unique<kit::Button>("Clear");
    clear->setTarget(this);
    clear->setAction("clearShortcut:");
    clearButton_ = clear.get();
    line->addArrangedSubview(std::move(clear));
    return line;
}

std::unique_ptr<kit::View> SettingsWindowController::previewLine() {
    auto line = std::make_unique<kit::StackView>();
    line->setSpacing(6);
    // The previews have no text to stand on the captions' baseline.
    line->setAlignment(kit::StackView::Alignment::centerY);
    auto preview = [] {
        auto view = std::make_unique<kit::ImageView>();
        view->setFixedSize(kit::Size{previewSide, previewSide});
        view->setImageScaling(kit::ImageScaling::proportionallyUpOrDown);
        view->setContentTintColor(kit::Color::labelColor());
        return view;
    };
    line->addArrangedSubview(caption("Auto-hide on:"));
    iconPreviewOn_ = &line->addArrangedSubview(preview());
    line->setCustomSpacing(16, *iconPreviewOn_);
    line->addArrangedSubview(caption("off:"));
    iconPreviewOff_ = &line->addArrangedSubview(preview());
    return line;
}

std::unique_ptr<kit::View> SettingsWindowController::linkLine() {
    auto line = std::make_unique<kit::StackView>();
    line->setSpacing(18);
    line->addArrangedSubview(linkButton("Support & FAQ", "openSupport:"));
    line->addArrangedSubview(linkButton("Privacy Policy", "openPrivacyPolicy:"));
    line->addArrangedSubview(linkButton(Support::supportAddress, "emailSupport:"));
    return line;
}

void SettingsWindowController::fillIconPopUp() {
    for (const auto& choice : iconChoices) {
        auto& item = iconPopUp_->addItem(choice.title);
        item.setRepresentedObject(
            platform::PropertyValue(std::string(StatusIconStyles::rawValue(choice.style))));
        item.setImage(StatusIconStyles::image(choice.style, true));
    }
}

std::unique_ptr<kit::Button> SettingsWindowController::linkButton(std::string title,
                                                                  kit::Action action) {
    auto button = std::make_unique<kit::Button>(std::move(title), kit::Button::Type::link);
    button->setTarget(this);
    button->setAction(std::move(action));
    button->setContentTintColor(kit::Color::linkColor());
    button->setContentHuggingPriority(kit::View::priorityRequired, kit::LayoutAxis::horizontal);
    return button;
}

std::unique_ptr<kit::Label> SettingsWindowController::caption(std::string text) {
    auto label = std::make_unique<kit::Label>(std::move(text));
    label->setControlSize(kit::ControlSize::small);
    label->setTextColor(kit::Color::secondaryLabelColor());
    return label;
}
