#include "ui/SettingsWindowController.h"

#include "core/AppController.h"
#include "ui/ShortcutRecorderControl.h"

SettingsWindowController::SettingsWindowController(AppController& controller)
    : controller_(controller), window_(std::make_unique<kit::Window>()) {
    auto recorder = std::make_unique<ShortcutRecorderControl>();
    recorder_ = recorder.get();
    window_->setContentView(std::move(recorder));
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show() {}
void SettingsWindowController::apply(const std::optional<HotKey>&) {}
void SettingsWindowController::refresh() {}
