#pragma once

// Which desktop panel runs on this display: the panel programs we can drive
// draw their panels as dock windows of their own class. Also follows them as
// they start, restart and go away.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/x11/X11Connection.h"

namespace host {

enum class PanelProgram { xfce, lxqt };

// The program's name, as people and its windows know it: "xfce4-panel", "lxqt-panel".
const char* panelProgramName(PanelProgram program);

struct RunningPanel {
    PanelProgram program = PanelProgram::xfce;
    int processIdentifier = 0;  // 0 when its windows do not say
    bool operator==(const RunningPanel&) const = default;
};

struct DockWindows {
    std::optional<RunningPanel> panel;     // the first one we can drive
    std::vector<std::string> otherOwners;  // the classes of the other dock windows, for the log
};

class PanelFinder {
public:
    explicit PanelFinder(X11Connection& connection);
    ~PanelFinder();
    PanelFinder(const PanelFinder&) = delete;
    PanelFinder& operator=(const PanelFinder&) = delete;

    // The mapped dock windows now.
    DockWindows find() const;

    // Called on the main loop a moment after windows were mapped, unmapped or
    // destroyed (a burst of them calls once).
    void setChangeHandler(std::function<void()> handler) { handler_ = std::move(handler); }

private:
    void listen(const XEvent& event);

    X11Connection& connection_;
    X11Connection::ListenerId listener_ = 0;
    std::function<void()> handler_;
    unsigned pending_ = 0;  // the GLib source that calls the handler
};

}  // namespace host
