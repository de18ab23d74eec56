#pragma once

#include "host/x11/X11Connection.h"
#include "platform/WindowList.h"

namespace host {

class X11WindowList : public platform::WindowList {
public:
    explicit X11WindowList(X11Connection& connection) : connection_(connection) {}
    std::vector<platform::ScreenRect> screens() override { return {}; }
    std::optional<platform::PropertyValue> copyWindowInfo() override { return std::nullopt; }
    int windowLevel(platform::WindowLevelKey key) override { return key == platform::WindowLevelKey::mainMenu ? 24 : 2000; }

private:
    X11Connection& connection_;
};

}  // namespace host
