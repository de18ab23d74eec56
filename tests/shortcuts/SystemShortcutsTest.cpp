#include "shortcuts/SystemShortcuts.h"

#include <gtest/gtest.h>

#include <set>

#include "fakes/FakePlatform.h"
#include "fakes/Modifiers.h"

namespace {

using namespace fakes::modifiers;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;


class SystemShortcutsTest : public fakes::PlatformTest {
protected:
    std::optional<std::string> owner(std::uint32_t keyCode, std::uint64_t modifiers) {
        return SystemShortcuts::owner({keyCode, modifiers});
    }
    void useFactorySet() {
        fake.symbolicHotKeys.answerWith(SystemShortcuts::factorySymbolicHotKeys(26));
    }
};

TEST_F(SystemShortcutsTest, ReservedCombinationsAreTakenWhateverTheSystemSays) {
    fake.symbolicHotKeys.answer = std::nullopt;
    EXPECT_EQ(owner(48, command), "the app switcher");
    EXPECT_EQ(owner(48, shift | command), "the app switcher");
    EXPECT_EQ(owner(12, command), "Quit in every app");
    EXPECT_EQ(owner(49, control | command), "Emoji & Symbols");
    EXPECT_EQ(fake.symbolicHotKeys.copies, 0) << "reserved answers without asking";
    EXPECT_EQ(owner(49, command), std::nullopt);
}

TEST_F(SystemShortcutsTest, LiveShortcutsAreNamedByTheirFactoryCombination) {
    fake.symbolicHotKeys.add(49, 0x100);
    fake.symbolicHotKeys.add(28, 0x1900);
    fake.symbolicHotKeys.add(28, 0x900);
    fake.symbolicHotKeys.add(46, 0x1900);  // reassigned by the user
    EXPECT_EQ(owner(49, command), "Show Spotlight search");
    EXPECT_EQ(owner(28, control | option | command), "Invert colors");
    EXPECT_EQ(owner(28, option | command), "Turn zoom on or off");
    EXPECT_EQ(owner(46, control | option | command), "a macOS shortcut (System Settings › Keyboard)");
    EXPECT_EQ(owner(2, option | command), std::nullopt) << "a default nobody has enabled";
}

TEST_F(SystemShortcutsTest, RowsApplyFromTheirSystemVersion) {
    fake.symbolicHotKeys.add(53, 0x100);
    EXPECT_EQ(owner(53, command), "Game Overlay");
    fake.processInfo.majorVersion = 15;
    EXPECT_EQ(owner(53, command), std::string(SystemShortcuts::genericDescription));
}

TEST_F(SystemShortcutsTest, LiveEntriesAreFiltered) {
    fake.symbolicHotKeys.add(49, 0x100, false);   // switched off
    fake.symbolicHotKeys.add(0xFFFF, 0x100);      // no key
    fake.symbolicHotKeys.add(0, 0x20000 | 0x100); // function bit on a letter
    fake.symbolicHotKeys.add(122, 0x20000 | 0x100);
    fake.symbolicHotKeys.add(1, 0x10000 | 0x800 | 0x100);  // caps lock bit besides
    EXPECT_EQ(owner(49, command), std::nullopt);
    EXPECT_EQ(owner(0, command), std::nullopt);
    EXPECT_EQ(owner(122, command), std::string(SystemShortcuts::genericDescription));
    EXPECT_EQ(owner(1, option | command), std::string(SystemShortcuts::genericDescription));
}

TEST_F(SystemShortcutsTest, AnUnreadableAnswerMeansOnlyReservedCounts) {
    fake.symbolicHotKeys.add(49, 0x100);
    auto list = *fake.symbolicHotKeys.answer->array();
    list.emplace_back("not a dictionary");
    fake.symbolicHotKeys.answer = PropertyValue(list);
    EXPECT_EQ(owner(49, command), std::nullopt);
    fake.symbolicHotKeys.answer = PropertyValue(PropertyDictionary{});
    EXPECT_EQ(owner(49, command), std::nullopt);
    fake.symbolicHotKeys.answer = PropertyValue(PropertyArray{PropertyDictionary{
        {"kHISymbolicHotKeyEnabled", 1}, {"kHISymbolicHotKeyCode", 49}, {"kHISymbolicHotKeyModifiers", 0x100}}});
    EXPECT_EQ(owner(49, command), std::nullopt) << "enabled must be a boolean";
}

TEST_F(SystemShortcutsTest, TheFactorySetNamesEveryDefaultAndNothingElse) {
    useFactorySet();
    for (const auto& row : SystemShortcuts::defaults()) {
        EXPECT_EQ(owner(row.keyCode, row.modifiers), std::string(row.name)) << row.number;
    }
    EXPECT_EQ(owner(46, control | option | command), std::nullopt);
    EXPECT_EQ(SystemShortcuts::factorySymbolicHotKeys(15).size(), 55u);
}

TEST_F(SystemShortcutsTest, TablesHaveNoSharedCombinations) {
    std::set<std::pair<std::uint32_t, std::uint64_t>> seen;
    for (const auto& row : SystemShortcuts::reserved()) seen.insert({row.keyCode, row.modifiers});
    EXPECT_EQ(seen.size(), 8u);
    for (const auto& row : SystemShortcuts::defaults()) {
        EXPECT_TRUE(seen.insert({row.keyCode, row.modifiers}).second) << row.name;
    }
    EXPECT_EQ(SystemShortcuts::defaults().size(), 56u);
}

}  // namespace
