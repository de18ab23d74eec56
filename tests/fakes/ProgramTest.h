#pragma once

// Tests of the whole program on the fake platform: it starts as the entry
// point starts it, and launching finishes before the test goes on.

#include "core/AppController.h"
#include "core/AppDelegate.h"
#include "fakes/FakePlatform.h"
#include "kit/Application.h"

namespace fakes {

// Starts the program on `fake` and answers its controller.
inline AppController& launchProgram(FakePlatform& fake, kit::Application& app, AppDelegate& delegate) {
    app.setDelegate(&delegate);
    app.setActivationPolicy(platform::ActivationPolicy::accessory);
    fake.runLoop.scheduleTimer(0, false, [&fake] { fake.runLoop.stop(); });
    app.run();
    return *delegate.controller();
}

class ProgramTest : public PlatformTest {
protected:
    AppController& launch() { return launchProgram(fake, app, delegate); }

    kit::Application app;
    AppDelegate delegate;
};

}  // namespace fakes
