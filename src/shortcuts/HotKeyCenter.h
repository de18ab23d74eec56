#pragma once

// Holds the program's one system-wide shortcut: registers it so that it
// reaches us whichever application is in front, and calls the action on
// every press.

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

#include "platform/GlobalHotKeys.h"
#include "shortcuts/HotKey.h"

namespace RegistrationErrors {
// The system refused with this status.
struct Failed {
    std::int32_t status = 0;
    bool operator==(const Failed&) const = default;
};
// Another application holds the combination as its global shortcut.
struct TakenByAnotherApp {
    bool operator==(const TakenByAnotherApp&) const = default;
};
}  // namespace RegistrationErrors

using RegistrationError = std::variant<RegistrationErrors::Failed, RegistrationErrors::TakenByAnotherApp>;

class HotKeyCenter {
public:
    // Every registration and every press carries this: "TrWk", 1.
    static constexpr platform::HotKeyIdentifier identifier{0x5472576B, 1};

    // Installs the press handler at once; a failure to install is logged and
    // leaves registration working without presses.
    explicit HotKeyCenter(std::function<void()> action);
    ~HotKeyCenter();
    HotKeyCenter(const HotKeyCenter&) = delete;
    HotKeyCenter& operator=(const HotKeyCenter&) = delete;

    // Registers `hotKey` in place of whatever was registered. The old one is
    // gone whatever the outcome; absent means success.
    std::optional<RegistrationError> registerHotKey(const HotKey& hotKey);
    void unregister();

    // The registered shortcut, exactly as it was passed in.
    const std::optional<HotKey>& current() const { return current_; }

private:
    std::int32_t handle(std::optional<platform::HotKeyIdentifier> eventIdentifier);

    std::function<void()> action_;
    std::optional<platform::HotKeyRef> hotKeyRef_;
    std::optional<platform::HotKeyHandlerRef> handlerRef_;
    std::optional<HotKey> current_;
};
