#pragma once

// The user's current keyboard layout, as far as naming keys needs it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

class KeyboardLayout {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~KeyboardLayout() = default;

    // The text (UTF-8) that the key with this virtual key code types with no
    // modifiers on the current ASCII-capable layout. Absent when there is no
    // layout or the key translates to nothing. Dead keys give the character
    // they show. Control characters are passed through as they come.
    virtual std::optional<std::string> characters(std::uint16_t keyCode) = 0;

    // Called on the main thread after the user switched layouts or the
    // layout in use was changed, whenever some key now types other text.
    // One handler at a time: a new one replaces the old, an empty one stops
    // the calls.
    virtual void setChangeHandler(ChangeHandler handler) = 0;
};

}  // namespace platform
