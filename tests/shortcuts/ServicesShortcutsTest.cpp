#include "shortcuts/ServicesShortcuts.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/Modifiers.h"

namespace {

using namespace fakes::modifiers;
using platform::PropertyDictionary;
using platform::PropertyValue;
using ServicesShortcuts::Binding;

constexpr HotKey optionCommandN{45, option | command};

constexpr const char* pbs = ServicesShortcuts::servicesToolPath;
constexpr const char* shortcuts = ServicesShortcuts::shortcutsToolPath;

// One installed service as the tool prints it.
std::string declaration(const std::string& bundleID, const std::string& name,
                        const std::string& message, const std::string& keyEquivalent) {
    return "{ NSBundleIdentifier = \"" + bundleID + "\"; NSMenuItem = { default = \"" + name +
           "\"; }; NSMessage = " + message + "; NSKeyEquivalent = { default = \"" + keyEquivalent +
           "\"; }; NSSendTypes = ( NSStringPboardType ); }";
}

class ServicesShortcutsTest : public fakes::PlatformTest {
protected:
    void setStatus(PropertyDictionary status) {
        fake.preferences.store("pbs", "NSServicesStatus", std::move(status));
    }
    static PropertyValue settings(const std::string& keyEquivalent) {
        return PropertyDictionary{{"key_equivalent", keyEquivalent}};
    }
    void installJotter() {
        fake.workspace.installed["JotterApp"] = "/Applications/Jotter.app";
        fake.workspace.displayNames["/Applications/Jotter.app"] = "Jotter.app";
    }
};

TEST_F(ServicesShortcutsTest, StatusEntriesNameTheServiceAndItsApplication) {
    setStatus({{"JotterApp - Make Note - makeNote", settings("@~n")}});
    EXPECT_EQ(ServicesShortcuts::bindings(), (std::vector<Binding>{{optionCommandN, "the “Make Note” service"}}));

    installJotter();
    fake.runLoop.advance(ServicesShortcuts::cacheLifetime);
    EXPECT_EQ(ServicesShortcuts::owner(optionCommandN), "the “Make Note” service (Jotter)");
    EXPECT_EQ(ServicesShortcuts::owner({45, command}), std::nullopt);
}

TEST_F(ServicesShortcutsTest, StatusEntriesThatDoNotQualifyAreSkipped) {
    setStatus({
        {"A - Hidden - hide", PropertyDictionary{{"key_equivalent", "@~a"}, {"enabled_services_menu", false}}},
        {"B - Shown - show", PropertyDictionary{{"key_equivalent", "@~b"}, {"enabled_services_menu", 0}}},
        {"C - Short", settings("@~c")},
        {"D - Empty - empty", settings("")},
        {"E - Two keys - two", settings("@ab")},
        {"F - Number - number", PropertyDictionary{{"key_equivalent", 7}}},
        {"G - Extra - extra - parts", settings("@~g")},
    });
    std::vector<std::string> described;
    for (const auto& binding : ServicesShortcuts::bindings()) described.push_back(binding.description);
    EXPECT_EQ(described, (std::vector<std::string>{"the “Shown” service", "the “Extra” service"}));
}

TEST_F(ServicesShortcutsTest, AServiceTheUserConfiguredIsNeverTakenFromItsDeclaration) {
    setStatus({{"JotterApp - Make Note - makeNote", settings("")}});
    fake.toolRunner.script(pbs, "(" + declaration("JotterApp", "Make Note", "makeNote", "@~n") + ", " +
                                    declaration("JotterApp", "Find", "find", "L") + ", " +
                                    declaration("JotterApp", "Lower", "lower", "l") + ")");
    installJotter();
    EXPECT_EQ(ServicesShortcuts::owner(optionCommandN), std::nullopt);
    EXPECT_EQ(ServicesShortcuts::owner({37, shift | command}), "the “Find” service (Jotter)");
    EXPECT_EQ(ServicesShortcuts::bindings().size(), 2u) << "duplicated combinations stay";
    ASSERT_EQ(fake.toolRunner.calls.size(), 1u);
    EXPECT_EQ(fake.toolRunner.calls[0].arguments, std::vector<std::string>{"-dump"});
    EXPECT_EQ(fake.toolRunner.calls[0].timeoutSeconds, 2.0);
}

TEST_F(ServicesShortcutsTest, DeclarationsNeedEveryPiece) {
    auto services = ServicesShortcuts::servicesFromDump(
        "(" + declaration("a", "Good", "good", "@g") +
        ", { NSPortName = Porter; NSMenuItem = { default = Port; }; NSMessage = port; NSKeyEquivalent = { default = P; }; }"
        ", { NSMenuItem = { default = Anonymous; }; NSMessage = anon; NSKeyEquivalent = { default = A; }; }"
        ", { NSMenuItem = { }; NSMessage = m; NSKeyEquivalent = { default = X; }; }"
        ", { NSMenuItem = { default = NoKey; }; NSMessage = m; NSKeyEquivalent = { default = \"\"; }; }"
        ", { NSMenuItem = { default = NoMessage; }; NSKeyEquivalent = { default = X; }; }"
        ", { NSMenuItem = { default = Data; }; NSMessage = m; NSKeyEquivalent = { default = D; }; "
        "    NSRequiredContext = {length = 3, bytes = 0x616263}; Big = {length = 90, bytes = 0x6162 ... 6364}; }"
        ")");
    std::vector<std::string> read;
    for (const auto& service : services) read.push_back(service.bundleID + "/" + service.name);
    EXPECT_EQ(read, (std::vector<std::string>{"a/Good", "Porter/Port", "(null)/Anonymous", "(null)/Data"}));

    EXPECT_TRUE(ServicesShortcuts::servicesFromDump("( " + declaration("a", "b", "c", "d") + ", text )").empty())
        << "a list with anything but dictionaries is unreadable";
    EXPECT_TRUE(ServicesShortcuts::servicesFromDump("{ }").empty());
    EXPECT_TRUE(ServicesShortcuts::servicesFromDump("( {").empty());
}

TEST_F(ServicesShortcutsTest, ShortcutsAppEntriesAreNamedByTheShortcutsTool) {
    setStatus({
        {"com.apple.shortcuts - 12345678-ABCD - runShortcutAsService", settings("@~r")},
        {"com.apple.shortcuts - X1 - runShortcutAsService", settings("@~s")},
        {"com.apple.shortcuts - GONE - runShortcutAsService", settings("@~t")},
    });
    fake.toolRunner.script(shortcuts, "Resize Images (12345678-ABCD)\n\tSplit (PDF)\u00A0 (X1)\n");
    std::vector<std::string> described;
    for (const auto& binding : ServicesShortcuts::bindings()) described.push_back(binding.description);
    EXPECT_EQ(described, (std::vector<std::string>{
                             "the “Resize Images” shortcut in the Shortcuts app",
                             "the “GONE” shortcut in the Shortcuts app",
                             "the “Split (PDF)” shortcut in the Shortcuts app",
                         }));
    EXPECT_EQ(fake.toolRunner.runCount(shortcuts), 1u) << "asked once per gathering";
}

TEST_F(ServicesShortcutsTest, TheShortcutsToolRunsOnlyForAShortcutEntry) {
    setStatus({{"com.apple.shortcuts - X1 - runShortcutAsService", settings("")}});
    ServicesShortcuts::bindings();
    EXPECT_EQ(fake.toolRunner.runCount(shortcuts), 0u);
}

TEST_F(ServicesShortcutsTest, ShortcutListLines) {
    auto names = ServicesShortcuts::shortcutNamesFromList(
        "Plain line\nNo open)\n(ID0)\nFirst (ID1)\nSecond (ID1)\n\nTrailing (ID2) \n");
    EXPECT_EQ(names, (std::map<std::string, std::string>{{"ID0", ""}, {"ID1", "Second"}}));
}

TEST_F(ServicesShortcutsTest, AToolThatOverrunsFailsOrPrintsNonsenseGivesNothing) {
    setStatus({{"JotterApp - Make Note - makeNote", settings("@~n")}});
    fake.toolRunner.outcomes[pbs] = platform::ToolOutcomes::TimedOut{};
    EXPECT_EQ(ServicesShortcuts::bindings().size(), 1u) << "the settings' binding remains";
    EXPECT_EQ(fake.log.count("/System/Library/CoreServices/pbs took longer than 2.000000s; ignoring its output"), 1u);
    EXPECT_EQ(fake.log.lines.back().level, platform::LogLevel::error);

    for (auto outcome : {platform::ToolOutcomes::Exited{1, "(" + declaration("a", "b", "c", "@x") + ")"},
                         platform::ToolOutcomes::Exited{0, "(" + declaration("a", "b\xC0", "c", "@x") + ")"}}) {
        fake.toolRunner.outcomes[pbs] = outcome;
        fake.runLoop.advance(ServicesShortcuts::cacheLifetime);
        EXPECT_EQ(ServicesShortcuts::owner({7, command}), std::nullopt);
    }
    EXPECT_EQ(fake.log.lines.size(), 1u) << "only the time-out is logged";
}

TEST_F(ServicesShortcutsTest, TheListIsKeptForFiveSeconds) {
    fake.toolRunner.script(pbs, "()");
    ServicesShortcuts::bindings();
    fake.runLoop.advance(4.9);
    ServicesShortcuts::owner(optionCommandN);
    EXPECT_EQ(fake.toolRunner.runCount(pbs), 1u);
    fake.runLoop.advance(0.1);
    ServicesShortcuts::bindings();
    EXPECT_EQ(fake.toolRunner.runCount(pbs), 2u);
}

TEST_F(ServicesShortcutsTest, SettingsThatAreNotDictionariesOfDictionariesAreIgnored) {
    setStatus({{"JotterApp - Make Note - makeNote", settings("@~n")}, {"Broken", "text"}});
    EXPECT_TRUE(ServicesShortcuts::bindings().empty());
    fake.preferences.store("pbs", "NSServicesStatus", PropertyValue("text"));
    fake.runLoop.advance(ServicesShortcuts::cacheLifetime);
    EXPECT_TRUE(ServicesShortcuts::bindings().empty());
}

}  // namespace
