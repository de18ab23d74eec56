#include "host/XkbKeyboardLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "host/VirtualKeyCodes.h"
#include "support/Process.h"

namespace {

using host::XkbKeyboardLayout;
using Texts = std::vector<std::string>;

host::XkbLayoutNames layout(const std::string& name, const std::string& variant = "") {
    return {"", "", name, variant, ""};
}

// What each key types, "none" for nothing.
Texts typed(XkbKeyboardLayout& keyboard, const std::vector<std::uint16_t>& keys) {
    Texts texts;
    for (auto key : keys) texts.push_back(keyboard.characters(key).value_or("none"));
    return texts;
}

// Which key position is which evdev code shows in the layouts' characters.
TEST(VirtualKeyCodes, TheTableIsOneToOne) {
    int mapped = 0;
    for (std::uint16_t virtualKey = 0; virtualKey < 256; ++virtualKey) {
        if (auto key = host::xkbKeyCode(virtualKey)) {
            ++mapped;
            EXPECT_EQ(host::virtualKeyCode(*key), virtualKey) << "virtual key " << virtualKey;
        }
    }
    EXPECT_GT(mapped, 110);
}

TEST(XkbKeyboardLayout, LatinLayoutsWithTheirDeadKeys) {
    XkbKeyboardLayout us(layout("us")), de(layout("de")), fr(layout("fr"));
    EXPECT_EQ(us.groupName(), "English (US)");
    // Keypad keys type digits; control characters come through (naming
    // filters them); keys without text, and positions that are no key.
    EXPECT_EQ(typed(us, {0, 6, 46, 50, 18, 83, 65, 36, 48, 53, 49, 96, 123, 56, 52}),
              (Texts{"a", "z", "m", "`", "1", "1", ".", "\r", "\t", "\x1b", " ", "none", "none",
                     "none", "none"}));
    // German swaps Y and Z; dead circumflex left of 1, dead acute left of
    // Delete, and the ISO key beside the left Shift.
    EXPECT_EQ(typed(de, {6, 16, 41, 27, 50, 24, 10}), (Texts{"y", "z", "ö", "ß", "^", "´", "<"}));
    // French is AZERTY, with a dead circumflex.
    EXPECT_EQ(typed(fr, {0, 12, 41, 33}), (Texts{"q", "a", "m", "^"}));
}

TEST(XkbKeyboardLayout, TheFirstGroupThatTypesLatinLettersIsUsedElseUS) {
    for (const auto& [names, group, z] :
         std::vector<std::array<std::string, 3>>{{"ru", "English (US)", "z"},
                                                 {"no-such-layout", "English (US)", "z"},
                                                 {"us,ru", "English (US)", "z"},
                                                 {"ru,de", "German", "y"}}) {
        XkbKeyboardLayout keyboard(layout(names));
        EXPECT_EQ(keyboard.groupName(), group) << names;
        EXPECT_EQ(typed(keyboard, {0, 6}), (Texts{"a", z})) << names;
    }
}

TEST(KeyboardDefaults, ReadsShellAssignmentsDefensively) {
    auto names = host::parseKeyboardDefaults(
        "# KEYBOARD CONFIGURATION FILE\n"
        "\n"
        "XKBMODEL=\"pc105\"\n"
        "  XKBLAYOUT='de,us'  # two layouts\n"
        "export XKBVARIANT=nodeadkeys,\n"
        "XKBOPTIONS=\"grp:alt_shift_toggle\r\n"
        "BACKSPACE=\"guess\"\n"
        "garbage without equals\n");
    EXPECT_EQ(names,
              (host::XkbLayoutNames{"", "pc105", "de,us", "nodeadkeys,", "grp:alt_shift_toggle"}));
    EXPECT_EQ(host::parseKeyboardDefaults(""), std::nullopt);
    EXPECT_EQ(host::parseKeyboardDefaults("XKBMODEL=pc105\nXKBLAYOUT=\"\"\n"), std::nullopt);
    EXPECT_EQ(host::parseKeyboardDefaults(std::string("\0\xFF=\n", 4)), std::nullopt);
}

// Sets (or with nullptr unsets) an environment variable for the life of the object.
struct ScopedEnvironment {
    ScopedEnvironment(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { saved ? setenv(name, saved->c_str(), 1) : unsetenv(name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;

    const char* name;
    std::optional<std::string> saved;
};

TEST(KeyboardDefaults, EnvironmentThenFileThenUS) {
    support::TemporaryDirectory folder;
    std::string file = folder.path() + "/keyboard";
    support::writeFile(file, "XKBLAYOUT=\"fr\"\nXKBVARIANT=\"oss\"\n");
    ScopedEnvironment unset[] = {{"XKB_DEFAULT_LAYOUT", nullptr},
                                 {"XKB_DEFAULT_RULES", nullptr},
                                 {"XKB_DEFAULT_MODEL", nullptr},
                                 {"XKB_DEFAULT_OPTIONS", nullptr}};
    EXPECT_EQ(host::desktopLayoutNames(file), layout("fr", "oss"));
    EXPECT_EQ(host::desktopLayoutNames(folder.path() + "/missing"), layout("us"));

    ScopedEnvironment german("XKB_DEFAULT_LAYOUT", "de"), variant("XKB_DEFAULT_VARIANT", "neo");
    EXPECT_EQ(host::desktopLayoutNames(file), layout("de", "neo"));
}

}  // namespace
