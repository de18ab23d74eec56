#pragma once

// Why a shortcut cannot be the program's global toggle, as one sentence the
// settings window shows.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "shortcuts/HotKey.h"
#include "shortcuts/HotKeyCenter.h"

namespace HotKeyProblems {
// A shortcut of the system itself, by the name people know it by.
struct SystemShortcut {
    std::string description;
    bool operator==(const SystemShortcut&) const = default;
};
// A Services or Shortcuts-app entry.
struct ServiceShortcut {
    std::string description;
    bool operator==(const ServiceShortcut&) const = default;
};
struct RegistrationFailed {
    std::int32_t status = 0;
    bool operator==(const RegistrationFailed&) const = default;
};
struct MissingModifier {
    bool operator==(const MissingModifier&) const = default;
};
struct OtherAppShortcut {
    bool operator==(const OtherAppShortcut&) const = default;
};
}  // namespace HotKeyProblems

struct HotKeyProblem {
    std::variant<HotKeyProblems::SystemShortcut, HotKeyProblems::ServiceShortcut,
                 HotKeyProblems::RegistrationFailed, HotKeyProblems::MissingModifier,
                 HotKeyProblems::OtherAppShortcut>
        kind;

    std::string message() const;
    bool operator==(const HotKeyProblem&) const = default;

    // What a refused registration means to the user.
    static HotKeyProblem forRegistrationError(const RegistrationError& error);

    // The checks a shortcut must pass before it is registered, in order: a
    // modifier (function keys need none), the system's shortcuts, then
    // (unless the machine is to look standard) Services and Shortcuts-app
    // shortcuts. The first that fails answers.
    static std::optional<HotKeyProblem> usabilityProblem(const HotKey& hotKey);
};
