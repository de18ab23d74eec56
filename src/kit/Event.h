#pragma once

// A mouse or keyboard event as views receive it.

#include <cstdint>
#include <string>

#include "kit/Geometry.h"
#include "platform/ModifierFlags.h"

namespace kit {

class Window;

struct Event {
    enum class Type { leftMouseDown, leftMouseUp, rightMouseDown, mouseDragged, keyDown, keyUp, flagsChanged };

    Type type = Type::leftMouseDown;
    Point locationInWindow;  // in the window's content, for mouse events
    int clickCount = 1;
    std::uint64_t modifierFlags = 0;  // as the desktop reports them, caps lock included
    std::uint16_t keyCode = 0;        // virtual key code, for key events
    std::string characters;
    std::string charactersIgnoringModifiers;
    bool isRepeat = false;

    // The four modifiers we care about: shift, control, option, command.
    std::uint64_t deviceIndependentModifiers() const { return modifierFlags & platform::ModifierFlags::mask; }
    bool isMouse() const {
        return type == Type::leftMouseDown || type == Type::leftMouseUp || type == Type::rightMouseDown ||
               type == Type::mouseDragged;
    }

    static Event mouse(Type type, Point location, std::uint64_t modifiers = 0, int clickCount = 1) {
        Event event;
        event.type = type;
        event.locationInWindow = location;
        event.modifierFlags = modifiers;
        event.clickCount = clickCount;
        return event;
    }
    static Event key(Type type, std::uint16_t keyCode, std::string characters, std::uint64_t modifiers = 0) {
        Event event;
        event.type = type;
        event.keyCode = keyCode;
        event.charactersIgnoringModifiers = characters;
        event.characters = std::move(characters);
        event.modifierFlags = modifiers;
        return event;
    }
};

}  // namespace kit
