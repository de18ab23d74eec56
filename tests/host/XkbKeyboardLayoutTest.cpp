#include "host/XkbKeyboardLayout.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstdlib>

#include "host/VirtualKeyCodes.h"
#include "support/Process.h"

namespace {

using host::XkbKeyboardLayout;
using host::XkbLayoutNames;

XkbLayoutNames layout(const std::string& name, const std::string& variant = "") {
    XkbLayoutNames names;
    names.layout = name;
    names.variant = variant;
    return names;
}

TEST(VirtualKeyCodes, MapKeyPositionsToEvdevCodesPlusEight) {
    EXPECT_EQ(host::xkbKeyCode(0), KEY_A + 8u);
    EXPECT_EQ(host::xkbKeyCode(36), KEY_ENTER + 8u);
    EXPECT_EQ(host::xkbKeyCode(10), KEY_102ND + 8u);
    EXPECT_EQ(host::xkbKeyCode(50), KEY_GRAVE + 8u);
    EXPECT_EQ(host::xkbKeyCode(114), KEY_INSERT + 8u);
    EXPECT_EQ(host::xkbKeyCode(90), KEY_F20 + 8u);
    EXPECT_EQ(host::xkbKeyCode(52), std::nullopt);
    EXPECT_EQ(host::xkbKeyCode(0xFFFF), std::nullopt);
    EXPECT_EQ(host::virtualKeyCode(KEY_UP + 8), 126u);
    EXPECT_EQ(host::virtualKeyCode(KEY_A + 8), 0u);
    EXPECT_EQ(host::virtualKeyCode(0), std::nullopt);
}

TEST(VirtualKeyCodes, TheTableIsOneToOne) {
    int mapped = 0;
    for (std::uint16_t virtualKey = 0; virtualKey < 256; ++virtualKey) {
        auto key = host::xkbKeyCode(virtualKey);
        if (!key) continue;
        ++mapped;
        EXPECT_EQ(host::virtualKeyCode(*key), virtualKey) << "virtual key " << virtualKey;
    }
    EXPECT_GT(mapped, 110);
}

TEST(XkbKeyboardLayout, USLayout) {
    XkbKeyboardLayout us(layout("us"));
    EXPECT_EQ(us.groupName(), "English (US)");
    EXPECT_EQ(us.characters(0), "a");
    EXPECT_EQ(us.characters(6), "z");
    EXPECT_EQ(us.characters(46), "m");
    EXPECT_EQ(us.characters(50), "`");
    EXPECT_EQ(us.characters(18), "1");
    EXPECT_EQ(us.characters(83), "1");  // keypad keys type digits
    EXPECT_EQ(us.characters(65), ".");
    // Control characters come through; naming filters them.
    EXPECT_EQ(us.characters(36), "\r");
    EXPECT_EQ(us.characters(48), "\t");
    EXPECT_EQ(us.characters(53), "\x1b");
    EXPECT_EQ(us.characters(49), " ");
    // Keys without text, and positions that are no key.
    EXPECT_EQ(us.characters(96), std::nullopt);
    EXPECT_EQ(us.characters(123), std::nullopt);
    EXPECT_EQ(us.characters(56), std::nullopt);
    EXPECT_EQ(us.characters(52), std::nullopt);
}

TEST(XkbKeyboardLayout, GermanLayoutSwapsYAndZAndHasDeadKeys) {
    XkbKeyboardLayout de(layout("de"));
    EXPECT_EQ(de.characters(6), "y");
    EXPECT_EQ(de.characters(16), "z");
    EXPECT_EQ(de.characters(41), "ö");
    EXPECT_EQ(de.characters(27), "ß");
    EXPECT_EQ(de.characters(50), "^");  // dead circumflex, left of 1
    EXPECT_EQ(de.characters(24), "´");  // dead acute, left of Delete
    EXPECT_EQ(de.characters(10), "<");  // the ISO key beside the left Shift
}

TEST(XkbKeyboardLayout, FrenchLayoutIsAzerty) {
    XkbKeyboardLayout fr(layout("fr"));
    EXPECT_EQ(fr.characters(0), "q");
    EXPECT_EQ(fr.characters(12), "a");
    EXPECT_EQ(fr.characters(41), "m");
    EXPECT_EQ(fr.characters(33), "^");  // dead circumflex
}

TEST(XkbKeyboardLayout, LayoutsWithoutLatinLettersFallBackToUS) {
    XkbKeyboardLayout ru(layout("ru"));
    EXPECT_EQ(ru.groupName(), "English (US)");
    EXPECT_EQ(ru.characters(0), "a");
    EXPECT_EQ(ru.characters(6), "z");

    XkbKeyboardLayout unknown(layout("no-such-layout"));
    EXPECT_EQ(unknown.characters(0), "a");
}

TEST(XkbKeyboardLayout, TheFirstGroupThatTypesLatinLettersIsUsed) {
    XkbKeyboardLayout usFirst(layout("us,ru"));
    EXPECT_EQ(usFirst.groupName(), "English (US)");
    EXPECT_EQ(usFirst.characters(0), "a");

    XkbKeyboardLayout russianFirst(layout("ru,de"));
    EXPECT_EQ(russianFirst.groupName(), "German");
    EXPECT_EQ(russianFirst.characters(6), "y");
    EXPECT_EQ(russianFirst.characters(0), "a");
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
    ASSERT_TRUE(names);
    EXPECT_EQ(names->rules, "");
    EXPECT_EQ(names->model, "pc105");
    EXPECT_EQ(names->layout, "de,us");
    EXPECT_EQ(names->variant, "nodeadkeys,");
    EXPECT_EQ(names->options, "grp:alt_shift_toggle");

    EXPECT_EQ(host::parseKeyboardDefaults(""), std::nullopt);
    EXPECT_EQ(host::parseKeyboardDefaults("XKBMODEL=pc105\nXKBLAYOUT=\"\"\n"), std::nullopt);
    EXPECT_EQ(host::parseKeyboardDefaults(std::string("\0\xFF=\n", 4)), std::nullopt);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~ScopedEnvironment() { set(old_ ? old_->c_str() : nullptr); }

    void set(const char* value) {
        if (value) {
            setenv(name_, value, 1);
            return;
        }
        unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(KeyboardDefaults, EnvironmentThenFileThenUS) {
    support::TemporaryDirectory folder;
    std::string file = folder.path() + "/keyboard";
    support::writeFile(file, "XKBLAYOUT=\"fr\"\nXKBVARIANT=\"oss\"\n");
    ScopedEnvironment noLayout("XKB_DEFAULT_LAYOUT", nullptr);
    ScopedEnvironment noRules("XKB_DEFAULT_RULES", nullptr);
    ScopedEnvironment noModel("XKB_DEFAULT_MODEL", nullptr);
    ScopedEnvironment noOptions("XKB_DEFAULT_OPTIONS", nullptr);
    EXPECT_EQ(host::desktopLayoutNames(file), layout("fr", "oss"));
    EXPECT_EQ(host::desktopLayoutNames(folder.path() + "/missing"), layout("us"));

    ScopedEnvironment german("XKB_DEFAULT_LAYOUT", "de");
    ScopedEnvironment variant("XKB_DEFAULT_VARIANT", "neo");
    EXPECT_EQ(host::desktopLayoutNames(file), layout("de", "neo"));
}

}  // namespace
