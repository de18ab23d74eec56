#pragma once

// Where the settings window's controls sit in the window, title bar
// included. The layout depends only on the fonts, so the same window built
// on the fake platform answers for the real one.

#include "kit/Geometry.h"

namespace e2e {

struct SettingsSpots {
    kit::Rect recorder, clear, status, iconPopUp, previews;
    // The rules list's + and − buttons.
    kit::Rect addRemove;
};

SettingsSpots settingsWindowSpots();

}  // namespace e2e
