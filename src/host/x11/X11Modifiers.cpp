#include "host/x11/X11Modifiers.h"

#include <X11/X.h>

#include "platform/ModifierFlags.h"

namespace host {
namespace {

struct Role {
    unsigned mask;
    std::uint64_t flag;
    std::uint32_t carbon;
};

constexpr Role roles[] = {
    {ShiftMask, platform::ModifierFlags::shift, platform::CarbonModifiers::shift},
    {ControlMask, platform::ModifierFlags::control, platform::CarbonModifiers::control},
    {Mod1Mask, platform::ModifierFlags::option, platform::CarbonModifiers::option},
    {Mod4Mask, platform::ModifierFlags::command, platform::CarbonModifiers::command}};

}  // namespace

std::uint64_t x11ModifierFlags(unsigned state, CapsLock capsLock) {
    std::uint64_t flags = 0;
    for (const Role& role : roles) {
        if (state & role.mask) flags |= role.flag;
    }
    if (capsLock == CapsLock::reported && (state & LockMask)) flags |= x11CapsLockFlag;
    return flags;
}

unsigned x11ModifiersOfCarbon(std::uint32_t carbonModifiers) {
    unsigned mask = 0;
    for (const Role& role : roles) {
        if (carbonModifiers & role.carbon) mask |= role.mask;
    }
    return mask;
}

}  // namespace host
