#pragma once

// Mouse presses anywhere on the desktop as XInput2 raw button events on the
// root window. Raw events are copies: the window under the pointer still
// gets its press. They name the physical button, which the pointer's button
// map makes the logical one. Xlib stays in the .cpp (see X11Connection.h).

#include <map>
#include <memory>

#include "host/x11/X11Connection.h"
#include "host/x11/X11PointerButtonMap.h"
#include "platform/GlobalEventMonitor.h"

namespace host {

class X11GlobalEventMonitor : public platform::GlobalEventMonitor {
public:
    explicit X11GlobalEventMonitor(X11Connection& connection) : connection_(connection) {}
    ~X11GlobalEventMonitor() override;
    X11GlobalEventMonitor(const X11GlobalEventMonitor&) = delete;
    X11GlobalEventMonitor& operator=(const X11GlobalEventMonitor&) = delete;

    // Absent without a display or without XInput 2.
    std::optional<platform::EventMonitorId> addGlobalMonitor(std::uint64_t mask,
                                                             Handler handler) override;
    void removeMonitor(platform::EventMonitorId monitor) override;
    // The origin when there is no display.
    platform::ScreenPoint mouseLocation() override;

private:
    struct Monitor {
        std::uint64_t mask = 0;
        Handler handler;
    };

    bool inputExtensionReady();
    void startListening();
    void stopListening();
    void onEvent(const XEvent& event);
    void onButtonPress(int logicalButton);
    void deliver(const platform::GlobalMouseEvent& event);

    X11Connection& connection_;
    int inputOpcode_ = -1;  // XInput's major opcode once known to be 2.0 or later
    bool inputChecked_ = false;
    X11Connection::ListenerId listener_ = 0;
    std::unique_ptr<X11PointerButtonMap> buttonMap_;        // while listening
    std::map<platform::EventMonitorId, Monitor> monitors_;  // in installation order
    platform::EventMonitorId nextMonitor_ = 1;
};

}  // namespace host
