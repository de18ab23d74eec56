#include "fakes/FakePlatform.h"

namespace fakes {

FakePlatform::FakePlatform()
    : platform{runLoop,   log,         preferences,    notifications, workspace,
               loginItems, keyboardLayout, processInfo, activation} {
    keyboardLayout.useUS();
    platform::install(&platform);
}

FakePlatform::~FakePlatform() { platform::install(nullptr); }

}  // namespace fakes
