#include "core/HotKeyProblem.h"

#include "housekeeping/Snapshot.h"
#include "shortcuts/KeyCodeName.h"
#include "shortcuts/ServicesShortcuts.h"
#include "shortcuts/SystemShortcuts.h"

namespace {

struct Message {
    std::string operator()(const HotKeyProblems::SystemShortcut& problem) const {
        return "Taken by macOS: " + problem.description +
               ". Disable it in System Settings › Keyboard › Keyboard Shortcuts to use it here.";
    }
    std::string operator()(const HotKeyProblems::ServiceShortcut& problem) const {
        return "Taken by " + problem.description + ". Change its shortcut there to use it here.";
    }
    std::string operator()(const HotKeyProblems::RegistrationFailed& problem) const {
        return "Couldn't register the shortcut (error " + std::to_string(problem.status) + ").";
    }
    std::string operator()(const HotKeyProblems::MissingModifier&) const {
        return "Add ⌃, ⌥ or ⌘ — a bare key would get in the way of typing.";
    }
    std::string operator()(const HotKeyProblems::OtherAppShortcut&) const {
        return "Taken by another app's global shortcut.";
    }
};

bool hasModifier(const HotKey& hotKey) {
    constexpr std::uint64_t required = ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
    return (hotKey.modifiers & required) != 0;
}

}  // namespace

std::string HotKeyProblem::message() const { return std::visit(Message{}, kind); }

HotKeyProblem HotKeyProblem::forRegistrationError(const RegistrationError& error) {
    if (std::holds_alternative<RegistrationErrors::TakenByAnotherApp>(error)) {
        return {HotKeyProblems::OtherAppShortcut{}};
    }
    return {HotKeyProblems::RegistrationFailed{std::get<RegistrationErrors::Failed>(error).status}};
}

std::optional<HotKeyProblem> HotKeyProblem::usabilityProblem(const HotKey& hotKey) {
    if (!hasModifier(hotKey) && !KeyCodeName::functionKeys().contains(hotKey.keyCode)) {
        return HotKeyProblem{HotKeyProblems::MissingModifier{}};
    }
    if (auto description = SystemShortcuts::owner(hotKey)) {
        return HotKeyProblem{HotKeyProblems::SystemShortcut{*description}};
    }
    if (Snapshot::depictsStandardMac()) return std::nullopt;
    if (auto description = ServicesShortcuts::owner(hotKey)) {
        return HotKeyProblem{HotKeyProblems::ServiceShortcut{*description}};
    }
    return std::nullopt;
}
