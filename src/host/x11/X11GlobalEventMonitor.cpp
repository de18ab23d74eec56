#include "host/x11/X11GlobalEventMonitor.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "host/x11/X11Modifiers.h"
#include "host/x11/X11Properties.h"
#include "host/x11/X11WindowList.h"

namespace host {
namespace {

using platform::GlobalMouseEvent;

// A window manager's frames can sit between the root and the window that
// carries the pid, so the path under the pointer is followed down.
constexpr int deepestFrameNesting = 8;

std::optional<int> eventType(int button) {
    if (button == Button1) return GlobalMouseEvent::leftMouseDown;
    if (button == Button3) return GlobalMouseEvent::rightMouseDown;
    return std::nullopt;
}

// Whether the first window on the way down that names its process names ours.
bool isOwnWindow(Display* display, Window window) {
    X11ErrorTrap trap(display);  // the window may be going away
    for (int depth = 0; window && depth < deepestFrameNesting; ++depth) {
        if (auto pid = x11WindowPid(display, window))
            return *pid == static_cast<unsigned long>(getpid());
        auto below = x11QueryPointer(display, window);
        if (!below) return false;
        window = below->child;
    }
    return false;
}

}  // namespace

X11GlobalEventMonitor::~X11GlobalEventMonitor() {
    if (listener_) stopListening();
}

std::optional<platform::EventMonitorId> X11GlobalEventMonitor::addGlobalMonitor(std::uint64_t mask,
                                                                                Handler handler) {
    if (!inputExtensionReady()) return std::nullopt;
    if (!listener_) startListening();
    monitors_.emplace(nextMonitor_, Monitor{mask, std::move(handler)});
    return nextMonitor_++;
}

void X11GlobalEventMonitor::removeMonitor(platform::EventMonitorId monitor) {
    monitors_.erase(monitor);
    // Then the server stops sending every press in the session our way.
    if (monitors_.empty() && listener_) stopListening();
}

platform::ScreenPoint X11GlobalEventMonitor::mouseLocation() {
    Display* display = connection_.display();
    if (!display) return {};
    auto pointer = x11QueryPointer(display, connection_.rootWindow());
    auto monitors = monitorsInRoot(connection_);
    if (!pointer || monitors.empty()) return {};
    return screenPointFromRoot(monitors.front(), pointer->x, pointer->y);
}

// Asked once: the answer does not change while the connection lives.
bool X11GlobalEventMonitor::inputExtensionReady() {
    Display* display = connection_.display();
    if (!display) return false;
    if (inputChecked_) return inputOpcode_ >= 0;
    inputChecked_ = true;
    int opcode = 0, eventBase = 0, errorBase = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &eventBase, &errorBase)) return false;
    // We announce 2.2, under which raw events come even while another client
    // grabs the pointer; 2.0 is enough to get them at all.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2) return false;
    inputOpcode_ = opcode;
    return true;
}

void X11GlobalEventMonitor::startListening() {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(connection_.display(), connection_.rootWindow(), &mask, 1);
    connection_.flush();
    buttonMap_ = std::make_unique<X11PointerButtonMap>(connection_);
    listener_ = connection_.addEventListener([this](const XEvent& event) { onEvent(event); });
}

void X11GlobalEventMonitor::stopListening() {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(connection_.display(), connection_.rootWindow(), &mask, 1);
    connection_.flush();
    connection_.removeEventListener(listener_);
    listener_ = 0;
    buttonMap_.reset();
}

void X11GlobalEventMonitor::onEvent(const XEvent& event) {
    const XGenericEventCookie& received = event.xcookie;
    if (received.type != GenericEvent || received.extension != inputOpcode_) return;
    if (received.evtype != XI_RawButtonPress) return;
    // The event's data is fetched through a cookie of our own; the listener's
    // event is shared and read-only.
    XGenericEventCookie cookie = received;
    Display* display = connection_.display();
    if (!XGetEventData(display, &cookie)) return;
    int physicalButton = static_cast<const XIRawEvent*>(cookie.data)->detail;
    XFreeEventData(display, &cookie);
    onButtonPress(buttonMap_->logicalButton(physicalButton));
}

// Raw events carry neither position nor modifiers, so both are read from the
// pointer now; on a main loop that is not busy that is at once, while the
// keys and the pointer are still as they were at the press.
void X11GlobalEventMonitor::onButtonPress(int logicalButton) {
    auto type = eventType(logicalButton);
    if (!type) return;
    Display* display = connection_.display();
    auto pointer = x11QueryPointer(display, connection_.rootWindow());
    auto monitors = monitorsInRoot(connection_);
    if (!pointer || monitors.empty()) return;
    auto point = screenPointFromRoot(monitors.front(), pointer->x, pointer->y);
    GlobalMouseEvent event;
    event.type = *type;
    // Only the keys held with the click: a locked Caps Lock is no key held.
    event.modifierFlags = x11ModifierFlags(pointer->modifiers, CapsLock::leftOut);
    event.hasWindow = isOwnWindow(display, pointer->child);
    event.x = point.x;
    event.y = point.y;
    deliver(event);
}

void X11GlobalEventMonitor::deliver(const GlobalMouseEvent& event) {
    std::vector<platform::EventMonitorId> order;
    for (const auto& [id, monitor] : monitors_) order.push_back(id);
    for (platform::EventMonitorId id : order) {
        auto found = monitors_.find(id);
        if (found == monitors_.end()) continue;  // removed by an earlier handler
        if (!(found->second.mask & (std::uint64_t{1} << event.type))) continue;
        // A copy: the handler may remove its monitor while it runs.
        Handler handler = found->second.handler;
        handler(event);
    }
}

}  // namespace host
