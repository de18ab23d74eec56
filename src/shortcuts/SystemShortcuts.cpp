#include "shortcuts/SystemShortcuts.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/Platform.h"
#include "shortcuts/KeyCodeName.h"

namespace SystemShortcuts {
namespace {

namespace Keys = platform::SymbolicHotKeyKeys;

constexpr std::uint64_t shift = ModifierFlags::shift;
constexpr std::uint64_t control = ModifierFlags::control;
constexpr std::uint64_t option = ModifierFlags::option;
constexpr std::uint64_t command = ModifierFlags::command;

constexpr std::int64_t carbonFunctionKey = platform::CarbonModifiers::functionKey;
constexpr std::int64_t noKeyCode = 0xFFFF;

using Combination = std::pair<std::uint32_t, std::uint64_t>;

// Arrows and the editing block, which the system marks like function keys.
bool isFunctionClass(std::uint32_t keyCode) {
    static const std::set<std::uint32_t> editingKeys = {123, 124, 126, 125, 115,
                                                        119, 116, 121, 117, 114};
    return KeyCodeName::functionKeys().contains(keyCode) || editingKeys.contains(keyCode);
}

std::uint64_t modifierSet(std::int64_t carbon) {
    namespace Carbon = platform::CarbonModifiers;
    std::uint64_t set = 0;
    if (carbon & Carbon::command) set |= command;
    if (carbon & Carbon::option) set |= option;
    if (carbon & Carbon::control) set |= control;
    if (carbon & Carbon::shift) set |= shift;
    return set;
}

std::optional<std::int64_t> integerOf(const platform::PropertyDictionary& entry, const char* key) {
    auto* value = platform::find(entry, key);
    if (!value) return std::nullopt;
    return value->integer();
}

std::optional<Combination> liveEntry(const platform::PropertyDictionary& entry) {
    auto* enabled = platform::find(entry, Keys::enabled);
    if (!enabled || enabled->boolean() != true) return std::nullopt;
    auto code = integerOf(entry, Keys::code);
    if (!code || *code == noKeyCode || *code < 0 || *code > UINT32_MAX) return std::nullopt;
    auto modifiers = integerOf(entry, Keys::modifiers);
    if (!modifiers) return std::nullopt;
    auto keyCode = static_cast<std::uint32_t>(*code);
    if ((*modifiers & carbonFunctionKey) && !isFunctionClass(keyCode)) return std::nullopt;
    return Combination{keyCode, modifierSet(*modifiers)};
}

// The system's enabled shortcuts now. Anything unreadable in the answer
// makes the whole list unreadable, hence empty.
std::vector<Combination> live() {
    auto answer = platform::current().symbolicHotKeys.copySymbolicHotKeys();
    if (!answer || !answer->array()) return {};
    std::vector<Combination> entries;
    for (const auto& element : *answer->array()) {
        auto* entry = element.dictionary();
        if (!entry) return {};
        if (auto combination = liveEntry(*entry)) entries.push_back(*combination);
    }
    return entries;
}

bool matches(std::uint32_t keyCode, std::uint64_t modifiers, const HotKey& hotKey) {
    return keyCode == hotKey.keyCode && modifiers == hotKey.modifiers;
}

}  // namespace

const std::vector<Reserved>& reserved() {
    static const std::vector<Reserved> table = {
        {"the app switcher", 48, command},
        {"the app switcher", 48, shift | command},
        {"Lock Screen", 12, control | command},
        {"Force Quit", 53, option | command},
        {"Force Quit (front app)", 53, shift | option | command},
        {"Emoji & Symbols", 49, control | command},
        {"Quit in every app", 12, command},
        {"Close in every app", 13, command},
    };
    return table;
}

const std::vector<Default>& defaults() {
    static const std::vector<Default> table = {
        {7, "Move focus to the menu bar", 120, control, 13},
        {8, "Move focus to the Dock", 99, control, 13},
        {9, "Move focus to active or next window", 118, control, 13},
        {10, "Move focus to the window toolbar", 96, control, 13},
        {11, "Move focus to the floating window", 97, control, 13},
        {12, "Turn keyboard access on or off", 122, control, 13},
        {13, "Change the way Tab moves focus", 98, control, 13},
        {15, "Turn zoom on or off", 28, option | command, 13},
        {17, "Zoom in", 24, option | command, 13},
        {19, "Zoom out", 27, option | command, 13},
        {21, "Invert colors", 28, control | option | command, 13},
        {23, "Turn image smoothing on or off", 42, option | command, 13},
        {25, "Increase contrast", 47, control | option | command, 13},
        {26, "Decrease contrast", 43, control | option | command, 13},
        {27, "Move focus to next window", 50, command, 13},
        {53, "Decrease display brightness", 107, 0, 13},
        {54, "Increase display brightness", 113, 0, 13},
        {28, "Save picture of screen as a file", 20, shift | command, 13},
        {29, "Copy picture of screen to the clipboard", 20, control | shift | command, 13},
        {30, "Save picture of selected area as a file", 21, shift | command, 13},
        {31, "Copy picture of selected area to the clipboard", 21, control | shift | command, 13},
        {32, "Mission Control", 126, control, 13},
        {33, "Application windows", 125, control, 13},
        {34, "Mission Control", 126, control | shift, 13},
        {35, "Application windows", 125, control | shift, 13},
        {36, "Show Desktop", 103, 0, 13},
        {37, "Show Desktop", 103, shift, 13},
        {52, "Turn Dock hiding on or off", 2, option | command, 13},
        {57, "Move focus to status menus", 100, control, 13},
        {59, "Turn VoiceOver on or off", 96, command, 13},
        {60, "Select the previous input source", 49, control, 13},
        {61, "Select next source in Input menu", 49, control | option, 13},
        {64, "Show Spotlight search", 49, command, 13},
        {65, "Show Finder search window", 49, option | command, 13},
        {79, "Move left a space", 123, control, 13},
        {80, "Move left a space", 123, control | shift, 13},
        {81, "Move right a space", 124, control, 13},
        {82, "Move right a space", 124, control | shift, 13},
        {98, "Show Help menu", 44, shift | command, 13},
        {159, "Show contextual menu", 36, control, 13},
        {162, "Show Accessibility controls", 96, option | command, 13},
        {181, "Save picture of the Touch Bar as a file", 22, shift | command, 13},
        {182, "Copy picture of the Touch Bar to the clipboard", 22, control | shift | command, 13},
        {118, "Switch to Desktop 1", 18, control, 13},
        {119, "Switch to Desktop 2", 19, control, 13},
        {120, "Switch to Desktop 3", 20, control, 13},
        {121, "Switch to Desktop 4", 21, control, 13},
        {122, "Switch to Desktop 5", 23, control, 13},
        {123, "Switch to Desktop 6", 22, control, 13},
        {124, "Switch to Desktop 7", 26, control, 13},
        {125, "Switch to Desktop 8", 28, control, 13},
        {126, "Switch to Desktop 9", 25, control, 13},
        {127, "Switch to Desktop 10", 29, control, 13},
        {184, "Screenshot and recording options", 23, shift | command, 13},
        {233, "Minimize", 46, command, 13},
        {260, "Game Overlay", 53, command, 26},
    };
    return table;
}

std::optional<std::string> owner(const HotKey& hotKey) {
    for (const auto& entry : reserved()) {
        if (matches(entry.keyCode, entry.modifiers, hotKey)) return std::string(entry.name);
    }
    auto entries = live();
    bool used = std::any_of(entries.begin(), entries.end(), [&](const Combination& entry) {
        return matches(entry.first, entry.second, hotKey);
    });
    if (!used) return std::nullopt;
    int version = platform::current().processInfo.operatingSystemMajorVersion();
    for (const auto& row : defaults()) {
        if (version >= row.fromMajorVersion && matches(row.keyCode, row.modifiers, hotKey)) {
            return std::string(row.name);
        }
    }
    return std::string(genericDescription);
}

std::vector<platform::NumberedSymbolicHotKey> factorySymbolicHotKeys(int majorVersion) {
    std::vector<platform::NumberedSymbolicHotKey> entries;
    for (const auto& row : defaults()) {
        if (majorVersion < row.fromMajorVersion) continue;
        HotKey hotKey{row.keyCode, row.modifiers};
        std::int64_t modifiers = hotKey.carbonModifiers();
        if (isFunctionClass(row.keyCode)) modifiers |= carbonFunctionKey;
        entries.push_back({row.number,
                           {
                               {Keys::enabled, true},
                               {Keys::code, static_cast<std::int64_t>(row.keyCode)},
                               {Keys::modifiers, modifiers},
                           }});
    }
    return entries;
}

}  // namespace SystemShortcuts
