#include "host/panels/PanelFinder.h"

#include <X11/Xlib.h>
#include <glib.h>

#include <algorithm>

#include "host/x11/X11Properties.h"

namespace host {
namespace {

// Long enough to gather a panel's start (several windows) into one look.
constexpr unsigned settleMilliseconds = 300;

std::optional<PanelProgram> programOf(const X11WindowOwner& owner) {
    for (auto program : {PanelProgram::xfce, PanelProgram::lxqt}) {
        std::string name = panelProgramName(program);
        if (owner.windowInstance == name || owner.windowClass == name) return program;
        // Toolkits capitalise the class: "Xfce4-panel".
        if (!name.empty()) name[0] = static_cast<char>(name[0] - 'a' + 'A');
        if (owner.windowClass == name) return program;
    }
    return std::nullopt;
}

// Changes among the root's children, leaving out menus and tooltips, which
// come and go all the time and are never panels.
bool isTopLevelChange(const XEvent& event, unsigned long root) {
    switch (event.type) {
        case MapNotify:
            return event.xmap.event == root && !event.xmap.override_redirect;
        case UnmapNotify:
            return event.xunmap.event == root;
        case DestroyNotify:
            return event.xdestroywindow.event == root;
        default:
            return false;
    }
}

}  // namespace

const char* panelProgramName(PanelProgram program) {
    return program == PanelProgram::xfce ? "xfce4-panel" : "lxqt-panel";
}

PanelFinder::PanelFinder(X11Connection& connection) : connection_(connection) {
    if (!connection_.available()) return;
    connection_.addRootEventMask(SubstructureNotifyMask);
    listener_ = connection_.addEventListener([this](const XEvent& event) { listen(event); });
    connection_.flush();
}

PanelFinder::~PanelFinder() {
    if (listener_) connection_.removeEventListener(listener_);
    if (pending_) g_source_remove(pending_);
}

DockWindows PanelFinder::find() const {
    DockWindows found;
    Display* display = connection_.display();
    if (!display) return found;
    X11ErrorTrap trap(display);
    for (Window window : x11MappedDocks(display, connection_.rootWindow())) {
        auto owner = x11WindowOwner(display, window);
        if (!owner) continue;
        auto program = programOf(*owner);
        if (program && !found.panel) {
            found.panel = RunningPanel{*program, owner->processIdentifier.value_or(0)};
        } else if (!program && !owner->windowClass.empty() &&
                   std::find(found.otherOwners.begin(), found.otherOwners.end(),
                             owner->windowClass) == found.otherOwners.end()) {
            found.otherOwners.push_back(owner->windowClass);
        }
    }
    trap.sync();
    return found;
}

void PanelFinder::listen(const XEvent& event) {
    if (!handler_ || pending_ || !isTopLevelChange(event, connection_.rootWindow())) return;
    pending_ = g_timeout_add(
        settleMilliseconds,
        [](gpointer data) {
            auto* self = static_cast<PanelFinder*>(data);
            self->pending_ = 0;
            if (self->handler_) self->handler_();
            return G_SOURCE_REMOVE;
        },
        this);
}

}  // namespace host
