#pragma once

#include "host/x11/X11Connection.h"
#include "platform/GlobalEventMonitor.h"

namespace host {

class X11GlobalEventMonitor : public platform::GlobalEventMonitor {
public:
    explicit X11GlobalEventMonitor(X11Connection& connection) : connection_(connection) {}
    std::optional<platform::EventMonitorId> addGlobalMonitor(std::uint64_t, Handler) override { return std::nullopt; }
    void removeMonitor(platform::EventMonitorId) override {}
    platform::ScreenPoint mouseLocation() override { return {}; }

private:
    X11Connection& connection_;
};

}  // namespace host
