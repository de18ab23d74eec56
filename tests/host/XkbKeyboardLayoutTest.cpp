#include "host/XkbKeyboardLayout.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "host/VirtualKeyCodes.h"
#include "host/x11/X11Connection.h"
#include "support/Process.h"
#include "support/ServerKeymap.h"

// After GoogleTest, whose names Xlib's macros (None, Bool) would replace.
#include <X11/XKBlib.h>

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

    // Without an X server the desktop's layout is what keys type.
    ScopedEnvironment noDisplay("DISPLAY", nullptr), plainGerman("XKB_DEFAULT_VARIANT", nullptr);
    host::X11Connection connection;
    ASSERT_FALSE(connection.available());
    XkbKeyboardLayout keyboard(connection);
    EXPECT_EQ(keyboard.groupName(), "German");
}

class ServerKeyboardTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(connection.available());
    }
    void setServerLayout(const std::string& layouts) { serverKeymap.setLayouts(layouts); }
    void lockGroup(unsigned group) {
        XkbLockGroup(connection.display(), XkbUseCoreKbd, group);
        connection.flush();
    }
    // Runs the main loop until key 16 types `text` or time is up; answers
    // what it types then.
    std::string keyYTypes(XkbKeyboardLayout& keyboard, const std::string& text) {
        gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
        while (keyboard.characters(keyY) != text && g_get_monotonic_time() < deadline) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
        }
        return keyboard.characters(keyY).value_or("none");
    }

    static constexpr std::uint16_t keyY = 16;  // the key that types Y on a US keyboard
    host::X11Connection connection;
    support::ServerKeymap serverKeymap;
};

// Changes arrive in order: a call for a switch that renamed nothing would
// come before the one the test waits for.
TEST_F(ServerKeyboardTest, KeysAreReadFromTheServersKeymapAndGroupAsTheyChange) {
    setServerLayout("de");
    XkbKeyboardLayout keyboard(connection);
    EXPECT_EQ(keyboard.groupName(), "German");
    EXPECT_EQ(typed(keyboard, {keyY, 6, 41}), (Texts{"z", "y", "ö"}));
    int changes = 0;
    keyboard.setChangeHandler([&] { ++changes; });

    setServerLayout("us");
    EXPECT_EQ(keyYTypes(keyboard, "y"), "y");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(keyboard.groupName(), "English (US)");

    // A second group renames nothing until it becomes the active one.
    setServerLayout("us,de");
    lockGroup(1);
    EXPECT_EQ(keyYTypes(keyboard, "z"), "z");
    EXPECT_EQ(changes, 2);
    lockGroup(0);
    EXPECT_EQ(keyYTypes(keyboard, "y"), "y");
    EXPECT_EQ(changes, 3);

    // A group that types no Latin letters leaves the last one that did.
    setServerLayout("ru,de");
    EXPECT_EQ(keyYTypes(keyboard, "z"), "z");
    EXPECT_EQ(changes, 4);
    lockGroup(1);
    lockGroup(0);
    setServerLayout("us");
    EXPECT_EQ(keyYTypes(keyboard, "y"), "y");
    EXPECT_EQ(changes, 5);
}

}  // namespace
