#pragma once

// What lies under a point of a panel: one of its items (a button, a clock, a
// tray icon) or its empty background. A panel draws all its items inside one
// window, so the X server cannot tell; the desktop's accessibility bus
// (AT-SPI) can, for panels that publish their widgets there.

#include <map>
#include <string>

#include "host/x11/RootRect.h"

typedef struct _GDBusConnection GDBusConnection;

namespace host {

struct PanelSpot {
    enum class Kind { item, background, unknown };
    Kind kind = Kind::unknown;
    RootRect item;       // the item's extents, for an item
    std::string reason;  // why nothing could be told, for unknown
};

class PanelContents {
public:
    PanelContents() = default;
    ~PanelContents();
    PanelContents(const PanelContents&) = delete;
    PanelContents& operator=(const PanelContents&) = delete;

    // The spot at root point x, y of the panel that process `pid` draws.
    // Never starts the accessibility bus, and asks it with short time-outs,
    // so a missing or stuck panel costs a moment at most.
    PanelSpot at(int pid, int x, int y);

private:
    GDBusConnection* accessibilityBus(std::string& reason);
    int processOf(const std::string& busName);

    GDBusConnection* bus_ = nullptr;
    std::string address_;
    std::map<std::string, int> processes_;  // application bus name → pid
};

}  // namespace host
