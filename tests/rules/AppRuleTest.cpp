#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "fakes/FakePlatform.h"
#include "rules/AppRule.h"

namespace {

using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

TEST(AppRule, ANameThatIsMissingOrNotTextFallsBackToTheBundleID) {
    auto withoutName = AppRule::fromDictionary({{"bundleID", "com.example.a"}, {"autoHide", true}});
    auto numericName =
        AppRule::fromDictionary({{"bundleID", "com.example.a"}, {"name", 3}, {"autoHide", true}});
    ASSERT_TRUE(withoutName && numericName);
    EXPECT_EQ(withoutName->name, "com.example.a");
    EXPECT_EQ(*numericName, *withoutName);
}

TEST(AppRule, EntriesWithoutATextBundleIDOrABooleanAutoHideAreRejected) {
    EXPECT_FALSE(AppRule::fromDictionary({{"bundleID", "com.example.a"}}));
    EXPECT_FALSE(AppRule::fromDictionary({{"bundleID", "com.example.a"}, {"autoHide", "true"}}));
    EXPECT_FALSE(AppRule::fromDictionary({{"bundleID", "com.example.a"}, {"autoHide", 1}}));
    EXPECT_FALSE(AppRule::fromDictionary({{"bundleID", 5}, {"autoHide", true}}));
}

TEST(AppRule, WrittenAndReadBackIsTheSameRule) {
    AppRule rule{"com.example.a", "Æsop Reader", false};
    EXPECT_EQ(AppRule::fromDictionary(rule.dictionary()), rule);
    AppRef app{"com.example.b", "B"};
    EXPECT_EQ(AppRef::fromDictionary(app.dictionary()), app);
}

TEST(AppRule, EqualityCoversEveryFieldAndTreatsCanonicalFormsAlike) {
    EXPECT_NE((AppRule{"com.example.a", "A", true}), (AppRule{"com.example.a", "A", false}));
    EXPECT_NE((AppRule{"com.example.a", "A", true}), (AppRule{"com.example.a", "A2", true}));
    EXPECT_EQ((AppRule{"com.example.a", "Caf\u00e9", true}),
              (AppRule{"com.example.a", "Cafe\u0301", true}));
    EXPECT_NE((AppRef{"com.example.a", "A"}), (AppRef{"com.example.a", "a"}));
}

TEST(AppRuleList, ReadsSkipBadEntriesButABadElementEmptiesTheList) {
    PropertyDictionary first{{"bundleID", "com.example.1"}, {"autoHide", true}};
    PropertyDictionary text{{"bundleID", "com.example.2"}, {"autoHide", "yes"}};
    PropertyDictionary third{{"bundleID", "com.example.3"}, {"autoHide", false}};
    auto rules = appRulesFromStored(PropertyValue(PropertyArray{first, text, third}));
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].bundleID, "com.example.1");
    EXPECT_EQ(rules[1].bundleID, "com.example.3");

    EXPECT_TRUE(appRulesFromStored(PropertyValue(PropertyArray{first, "com.example.2"})).empty());
    EXPECT_TRUE(appRulesFromStored(PropertyValue(first)).empty());
    EXPECT_TRUE(appRulesFromStored(std::nullopt).empty());
}

// Lists and texts past sensible sizes are left out before any work is done
// on them, and said once however often they are read.
TEST(AppRuleList, OversizedListsAndTextsAreLeftOutAndSaidOnce) {
    fakes::FakePlatform fake;
    PropertyDictionary rule{{"bundleID", "com.example.1"}, {"autoHide", true}};
    PropertyValue many(PropertyArray(2001, PropertyValue(rule)));
    PropertyValue fine(PropertyArray(2000, PropertyValue(rule)));
    EXPECT_TRUE(appRulesFromStored(many).empty());
    EXPECT_TRUE(appRulesFromStored(many).empty());
    EXPECT_EQ(appRulesFromStored(fine).size(), 2000u);
    PropertyDictionary longName{{"bundleID", "com.example.2"}, {"name", std::string(4097, 'n')},
                                {"autoHide", false}};
    PropertyDictionary longID{{"bundleID", std::string(5'000'000, 'x')}, {"name", "X"}};
    EXPECT_EQ(appRulesFromStored(PropertyValue(PropertyArray{longName, rule})).size(), 1u);
    EXPECT_TRUE(appRefsFromStored(PropertyValue(PropertyArray{longID})).empty());
    EXPECT_EQ(fake.log.messages(),
              (std::vector<std::string>{
                  "The stored app rules hold 2001 entries, over the 2000 we read; none are used",
                  "A stored app rule was skipped: its \"name\" is 4097 bytes, over the 4096 we read",
                  "A stored recent app was skipped: its \"bundleID\" is 5000000 bytes, over the "
                  "4096 we read"}));
}

TEST(AppRefList, EveryElementMustHoldTextOnly) {
    PropertyDictionary a{{"bundleID", "com.example.a"}, {"name", "A"}};
    PropertyDictionary nameless{{"bundleID", "com.example.b"}};
    PropertyDictionary extraNumber{{"bundleID", "com.example.c"}, {"name", "C"}, {"uses", 3}};
    EXPECT_EQ(appRefsFromStored(PropertyValue(PropertyArray{a, nameless})),
              (std::vector<AppRef>{{"com.example.a", "A"}}));
    EXPECT_TRUE(appRefsFromStored(PropertyValue(PropertyArray{a, extraNumber})).empty());
}

TEST(AppRefIcon, IsTheInstalledAppsOwnElseTheGenericApplicationIcon) {
    fakes::FakePlatform fake;
    auto file =
        std::filesystem::temp_directory_path() / ("app-icon-" + std::to_string(getpid()) + ".png");
    kit::Bitmap pixels(4, 2);
    ASSERT_TRUE(pixels.writePNG(file.string()));
    fake.workspace.installed = {{"com.example.drawn", "/Applications/Drawn.app"},
                                {"com.example.plain", "/Applications/Plain.app"},
                                {"com.example.broken", "/Applications/Broken.app"}};
    fake.workspace.iconFiles = {{"/Applications/Drawn.app", file.string()},
                                {"/Applications/Broken.app", "/nonexistent/icon.png"}};

    EXPECT_EQ(AppRef::icon("com.example.drawn").size(), (kit::Size{4, 2}));
    for (const char* id : {"com.example.plain", "com.example.broken", "com.example.missing"}) {
        EXPECT_EQ(AppRef::icon(id), kit::Image::genericApplicationIcon()) << id;
    }
    std::filesystem::remove(file);
}

}  // namespace
