#pragma once

// System-wide keyboard shortcuts: a key combination registered here reaches
// this program whichever application is in front. Registration is exclusive;
// a press arrives on the main thread as a hot-key-pressed event that carries
// the identifier it was registered with.

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

namespace platform {

// Who a registration belongs to: a four-character signature and a number.
struct HotKeyIdentifier {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    bool operator==(const HotKeyIdentifier&) const = default;
};

// Answers of the global hot key facility.
namespace HotKeyStatus {
inline constexpr std::int32_t noErr = 0;
// The handler's answer for an event that is not its own.
inline constexpr std::int32_t eventNotHandledErr = -9874;
// The combination is already registered elsewhere.
inline constexpr std::int32_t eventHotKeyExistsErr = -9878;
}  // namespace HotKeyStatus

using HotKeyRef = std::uint64_t;
using HotKeyHandlerRef = std::uint64_t;

class GlobalHotKeys {
public:
    // Told of each hot-key-pressed event with the event's identifier, or
    // absent when the event carries none that can be read. Answers noErr for
    // its own events and eventNotHandledErr for the rest, which then go to
    // other handlers.
    using Handler = std::function<std::int32_t(std::optional<HotKeyIdentifier>)>;

    // A handle, or the status that refused it.
    template <typename Ref>
    using Result = std::variant<Ref, std::int32_t>;

    virtual ~GlobalHotKeys() = default;

    virtual Result<HotKeyHandlerRef> installHandler(Handler handler) = 0;
    virtual void removeHandler(HotKeyHandlerRef handler) = 0;

    // `carbonModifiers` uses command 0x100, shift 0x200, option 0x800 and
    // control 0x1000. Exclusive: a combination held by anyone else is refused
    // with eventHotKeyExistsErr.
    virtual Result<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                             HotKeyIdentifier identifier) = 0;
    virtual void unregisterHotKey(HotKeyRef hotKey) = 0;
};

}  // namespace platform
