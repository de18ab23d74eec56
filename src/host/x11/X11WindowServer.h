#pragma once

#include "host/x11/X11Connection.h"
#include "platform/WindowServer.h"

namespace host {

class X11WindowServer : public platform::WindowServer {
public:
    explicit X11WindowServer(X11Connection& connection) : connection_(connection) {}
    bool isAvailable() const override { return false; }
    std::optional<platform::ScreenFrame> mainScreenFrame() override { return std::nullopt; }
    platform::NativeWindowId createWindow(platform::NativeWindowKind, const std::string&,
                                          const platform::ScreenFrame&, EventHandler) override {
        return 0;
    }
    void destroyWindow(platform::NativeWindowId) override {}
    void setTitle(platform::NativeWindowId, const std::string&) override {}
    void setFrame(platform::NativeWindowId, const platform::ScreenFrame&) override {}
    void show(platform::NativeWindowId, bool) override {}
    void hide(platform::NativeWindowId) override {}
    void present(platform::NativeWindowId, const platform::PixelImage&, double) override {}
    void beginMove(platform::NativeWindowId, double, double) override {}

private:
    X11Connection& connection_;
};

}  // namespace host
