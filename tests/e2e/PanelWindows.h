#pragma once

// Where a desktop panel's windows are, and Tarnwick's menus, read from the
// X server: what a person sees.

#include <optional>
#include <string>
#include <vector>

#include "support/StatusPanel.h"

namespace e2e {

struct PanelWindow {
    int x = 0, y = 0, width = 0, height = 0;
    unsigned long id = 0;
};

// The mapped dock windows whose WM_CLASS names `program` (instance or class,
// either case), on the named display.
std::vector<PanelWindow> panelWindows(const std::string& display, const std::string& program);

// The uppermost of those windows: the top panel.
std::optional<PanelWindow> topPanelWindow(const std::string& display, const std::string& program);

// The panel along the top edge shows more than the strip a hidden panel
// leaves to bring it back.
bool topPanelShown(const std::string& display, const std::string& program);

// The panel has moved up off the screen but for such a strip.
bool topPanelHidden(const std::string& display, const std::string& program);

// Waits up to `seconds` for the top panel to be shown (or hidden).
bool waitForTopPanel(const std::string& display, const std::string& program, bool shown,
                     double seconds);

// Where a pop-up menu of Tarnwick's is open on the display (its top-left
// corner), if one is.
std::optional<PanelWindow> tarnwickMenu(const std::string& display);
// All of them, a submenu after the menu it opened from.
std::vector<PanelWindow> tarnwickMenus(const std::string& display);

// A menu-sized pop-up of any program's, open at or below the row `top`.
std::optional<PanelWindow> menuOpenBelow(const std::string& display, int top);

// The median luminance (0 black, 1 white) of the top panel as the screen
// shows it; absent without one.
std::optional<double> topPanelLuminance(const std::string& display, const std::string& program);

// The luminance of a status icon's ink: its most opaque pixels' colour
// (premultiplied ARGB, as panels get it); absent for an empty icon.
std::optional<double> inkLuminance(const support::StatusPanel::Pixmap& icon);

// The contrast ratio of two luminances, 1 to 21.
double contrast(double first, double second);

}  // namespace e2e
