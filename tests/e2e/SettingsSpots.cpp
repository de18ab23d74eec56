#include "e2e/SettingsSpots.h"

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "fakes/ProgramTest.h"
#include "kit/Application.h"
#include "kit/Button.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/SegmentedControl.h"
#include "ui/AppRulesView.h"
#include "ui/SettingsWindowController.h"
#include "ui/ShortcutRecorderControl.h"

namespace e2e {

SettingsSpots settingsWindowSpots() {
    fakes::FakePlatform fake;
    fake.preferences.store(fakes::FakePlatform::appDomain, "didShowSettingsOnFirstLaunch", true);
    kit::Application app;
    AppDelegate delegate;
    auto& settings = fakes::launchProgram(fake, app, delegate).settingsWindowController();
    settings.window().layoutIfNeeded();
    // The status line wraps at 330 points and keeps two lines' room.
    kit::Rect status{settings.statusLabel().frameInWindow().origin, {330, 32}};
    kit::Rect on = settings.iconPreviewOn().frameInWindow(),
              off = settings.iconPreviewOff().frameInWindow();
    kit::Rect previews{on.origin, {off.maxX() - on.origin.x, on.size.height}};
    return {settings.recorder().frameInWindow(),
            settings.clearButton().frameInWindow(),
            status,
            settings.iconPopUp().frameInWindow(),
            previews,
            settings.rulesView().addRemove().frameInWindow()};
}

}  // namespace e2e
