#pragma once

// Whether a click landed on an empty stretch of the menu bar: on the menu bar
// itself, not on a status item, an open menu or a window covering it there.

#include "platform/GlobalEventMonitor.h"

namespace MenuBarHitTest {

// The point is in screen coordinates (bottom-left origin of the primary
// screen). Reads the screens and the window list afresh on every call; any
// failure answers false.
bool isOnMenuBar(platform::ScreenPoint point);

// The menu bar and cursor window levels are looked up once per process; a
// test that installs another platform looks them up again after this.
void resetLevelsForTesting();

}  // namespace MenuBarHitTest
