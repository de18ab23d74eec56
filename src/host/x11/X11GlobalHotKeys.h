#pragma once

#include "host/x11/X11Connection.h"
#include "platform/GlobalHotKeys.h"

namespace host {

class X11GlobalHotKeys : public platform::GlobalHotKeys {
public:
    explicit X11GlobalHotKeys(X11Connection& connection) : connection_(connection) {}

    Result<platform::HotKeyHandlerRef> installHandler(Handler) override { return 1; }
    void removeHandler(platform::HotKeyHandlerRef) override {}
    Result<platform::HotKeyRef> registerHotKey(std::uint32_t, std::uint32_t,
                                               platform::HotKeyIdentifier) override {
        return -1;
    }
    void unregisterHotKey(platform::HotKeyRef) override {}

private:
    X11Connection& connection_;
};

}  // namespace host
