#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"
#include "rules/AppRuleEngine.h"

namespace {

using fakes::FakePlatform;
using platform::ActivationPolicy;
using platform::RunningApplication;

RunningApplication app(int pid, std::optional<std::string> bundleID,
                       std::optional<std::string> name = std::nullopt,
                       ActivationPolicy policy = ActivationPolicy::regular) {
    RunningApplication application;
    application.processIdentifier = pid;
    application.bundleIdentifier = std::move(bundleID);
    application.localizedName = std::move(name);
    application.activationPolicy = policy;
    return application;
}

const AppRule xRule{"com.example.x", "X", true};
const AppRule zRule{"com.example.z", "Z", false};
const auto xApp = app(10, "com.example.x", "X");
const auto yApp = app(11, "com.example.y", "Y");
const auto zApp = app(12, "com.example.z", "Z");

class AppRuleEngineTest : public fakes::PlatformTest {
protected:
    void storeRules(const std::vector<AppRule>& rules) {
        fake.preferences.store(FakePlatform::appDomain, "appRules", storedForm(rules));
    }
    void storeAutoHide(bool on) {
        fake.preferences.store(FakePlatform::globalDomain, "_HIHideMenuBar", on);
    }
    std::optional<platform::PropertyValue> autoHide() const {
        return fake.preferences.stored(FakePlatform::globalDomain, "_HIHideMenuBar");
    }
    std::optional<platform::PropertyValue> stateBeforeRule() const {
        return fake.preferences.stored(FakePlatform::appDomain, "stateBeforeRule");
    }
    AppRuleEngine& start() { return engine.emplace(); }
    void bringForward(const RunningApplication& application) {
        fake.workspace.activate(application);
        fake.runLoop.drain();
    }
    std::vector<std::string> ruleLines() const {
        std::vector<std::string> lines;
        for (const auto& line : fake.log.lines) {
            if (line.message.starts_with("Rule:")) lines.push_back(line.message);
        }
        return lines;
    }

    std::optional<AppRuleEngine> engine;
};

TEST_F(AppRuleEngineTest, ARuleForcesItsValueUntilAnAppWithoutRuleComesForward) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    bringForward(xApp);
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(false));
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 1);

    bringForward(yApp);
    EXPECT_EQ(autoHide(), platform::PropertyValue(false));
    EXPECT_FALSE(stateBeforeRule());
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 0);
    EXPECT_EQ(ruleLines(),
              (std::vector<std::string>{"Rule: auto-hide on (X)",
                                        "Rule: auto-hide off (leaving the last rule's app)"}));
    ASSERT_EQ(fake.log.count("In front: X [com.example.x]"), 1u);
    auto front = std::find_if(fake.log.lines.begin(), fake.log.lines.end(), [](const auto& line) {
        return line.message.starts_with("In front");
    });
    EXPECT_EQ(front->level, platform::LogLevel::info);
}

TEST_F(AppRuleEngineTest, AChainOfRulesRestoresTheValueFromBeforeTheFirst) {
    storeAutoHide(true);
    storeRules({{"com.example.x", "X", false}, {"com.example.z", "Z", true}});
    start();
    bringForward(xApp);
    bringForward(zApp);
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(true));
    // The user flips the setting meanwhile: the value from before X still wins.
    storeAutoHide(false);
    bringForward(yApp);
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 0);
}

TEST_F(AppRuleEngineTest, ARuleWithTheCurrentValueHoldsButWritesNothing) {
    storeAutoHide(true);
    storeRules({xRule, {"com.example.z", "Z", true}});
    start();
    bringForward(xApp);
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(true));
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 1);
    bringForward(zApp);
    bringForward(yApp);
    EXPECT_TRUE(ruleLines().empty());
    EXPECT_EQ(fake.notifications.postedCount("AppleInterfaceMenuBarHidingChangedNotification"), 0u);
}

TEST_F(AppRuleEngineTest, OwnProcessIgnoredAndAccessoryAppsChangeNothingAndAreNotRemembered) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    bringForward(xApp);
    bringForward(app(4242, "app.tarnwick.Tarnwick", "Tarnwick"));  // settings window in front
    bringForward(app(20, "com.apple.Spotlight", "Spotlight"));
    bringForward(app(21, "com.example.helper", "Helper", ActivationPolicy::accessory));
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    EXPECT_EQ(engine->recentApps(), (std::vector<AppRef>{{"com.example.x", "X"}}));
    EXPECT_EQ(fake.log.count("In front: X [com.example.x]"), 1u);
    EXPECT_EQ(fake.log.lines.size(), 2u);
    EXPECT_EQ(ignoredBundleIDs().size(), 13u);
}

TEST_F(AppRuleEngineTest, AnAccessoryAppWithARuleCountsAndAppliesIt) {
    storeAutoHide(false);
    storeRules({{"com.example.helper", "Helper", true}});
    start();
    bringForward(app(21, "com.example.helper", std::nullopt, ActivationPolicy::accessory));
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    EXPECT_EQ(engine->recentApps(),
              (std::vector<AppRef>{{"com.example.helper", "com.example.helper"}}));
    EXPECT_EQ(fake.log.count("In front: ? [com.example.helper]"), 1u);
}

TEST_F(AppRuleEngineTest, AnAppWithoutBundleIDEndsARuleOnceAndIsNotRemembered) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    bringForward(xApp);
    bringForward(app(30, std::nullopt, "Tool", ActivationPolicy::prohibited));
    bringForward(app(31, std::nullopt));
    EXPECT_EQ(autoHide(), platform::PropertyValue(false));
    EXPECT_EQ(fake.log.count("In front: Tool [no bundle id]"), 1u);
    EXPECT_EQ(fake.log.count("In front: ? [no bundle id]"), 0u);
    EXPECT_EQ(engine->recentApps().size(), 1u);
}

TEST_F(AppRuleEngineTest, RecentAppsAreMostRecentFirstDistinctAtMostTwelveAndWrittenOnChange) {
    fake.preferences.store(FakePlatform::appDomain, "recentApps",
                           storedForm(std::vector<AppRef>{{"com.example.y", "Old Y"}}));
    start();
    bringForward(yApp);  // same app, new name: a change
    EXPECT_EQ(Preferences::recentApps(), (std::vector<AppRef>{{"com.example.y", "Y"}}));
    for (int i = 0; i < 12; ++i) {
        bringForward(app(100 + i, "com.example.app" + std::to_string(i), "App"));
    }
    ASSERT_EQ(engine->recentApps().size(), 12u);
    EXPECT_EQ(engine->recentApps().front().bundleID, "com.example.app11");
    EXPECT_EQ(engine->recentApps().back().bundleID, "com.example.app0");  // Y pushed out

    bringForward(app(105, "com.example.app5", "App"));
    EXPECT_EQ(engine->recentApps().front().bundleID, "com.example.app5");
    EXPECT_EQ(engine->recentApps().size(), 12u);
    auto syncs = fake.preferences.synchronizeCount;
    bringForward(app(105, "com.example.app5", "App"));
    EXPECT_EQ(fake.preferences.synchronizeCount, syncs);
    EXPECT_EQ(fake.log.count("In front: App [com.example.app5]"), 2u);
    EXPECT_EQ(Preferences::recentApps(), engine->recentApps());
}

TEST_F(AppRuleEngineTest, SetAndRemoveStoreEvaluateAndTell) {
    storeAutoHide(false);
    storeRules({zRule, {"com.example.y", "Y", false}});
    fake.workspace.front = xApp;
    auto& rules = start();
    int changes = 0;
    rules.onChange = [&] { ++changes; };

    rules.set(xRule);  // added for the front app: applies at once
    EXPECT_EQ(autoHide(), platform::PropertyValue(true));
    rules.set({"com.example.z", "Zed", false});
    EXPECT_EQ(rules.rules()[0].name, "Zed");
    rules.set({"com.example.x", "Renamed", true});  // no new write
    rules.set({"com.example.x", "Renamed", false});
    EXPECT_EQ(ruleLines(), (std::vector<std::string>{"Rule: auto-hide on (X)",
                                                     "Rule: auto-hide off (Renamed)"}));
    rules.remove("com.example.x");
    rules.remove("com.example.none");
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(ruleLines().size(), 2u);  // restored value equals the current one
    EXPECT_FALSE(stateBeforeRule());
    EXPECT_EQ(Preferences::appRules(), (std::vector<AppRule>{{"com.example.z", "Zed", false},
                                                             {"com.example.y", "Y", false}}));
}

TEST_F(AppRuleEngineTest, QuittingRestoresWhileARuleIsInForce) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    kit::NotificationCenter::defaultCenter().post(kit::Application::willTerminateNotification);
    EXPECT_TRUE(ruleLines().empty());
    bringForward(xApp);
    kit::NotificationCenter::defaultCenter().post(kit::Application::willTerminateNotification);
    EXPECT_EQ(ruleLines().back(), "Rule: auto-hide off (quitting)");
    EXPECT_FALSE(stateBeforeRule());
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 0);

    engine.reset();  // gone: neither notification reaches it
    kit::NotificationCenter::defaultCenter().post(kit::Application::willTerminateNotification);
    bringForward(xApp);
    EXPECT_EQ(autoHide(), platform::PropertyValue(false));
}

TEST_F(AppRuleEngineTest, StartRepairsALeftOverValueUnlessARuleAppIsInFront) {
    storeAutoHide(false);
    storeRules({zRule});
    fake.preferences.store(FakePlatform::appDomain, "stateBeforeRule", true);
    fake.workspace.front = yApp;
    start();
    EXPECT_FALSE(stateBeforeRule());
    EXPECT_EQ(ruleLines(),
              (std::vector<std::string>{
                  "Rule: auto-hide on (restoring the setting from before the last rule)"}));

    engine.reset();
    fake.preferences.store(FakePlatform::appDomain, "stateBeforeRule", false);
    storeAutoHide(true);
    fake.workspace.front = zApp;
    start();
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(false));
    EXPECT_EQ(ruleLines().back(), "Rule: auto-hide off (Z)");
}

TEST_F(AppRuleEngineTest, AFailedWriteStillLogsTheRuleLine) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    fake.preferences.failingDomains.insert(FakePlatform::globalDomain);
    bringForward(xApp);
    EXPECT_EQ(ruleLines(), (std::vector<std::string>{"Rule: auto-hide on (X)"}));
    auto rule = std::find_if(fake.log.lines.begin(), fake.log.lines.end(),
                             [](const auto& line) { return line.message.starts_with("Rule:"); });
    EXPECT_EQ(rule->level, platform::LogLevel::defaultLevel);
}

// A value whose restore failed waits for the next try, whether the restore
// came from leaving a rule or from the start-up repair, until the person (by
// hand) or another program chooses the setting.
TEST_F(AppRuleEngineTest, AFailedRestoreKeepsTheValueUntilSomeoneChoosesTheSetting) {
    storeAutoHide(false);
    storeRules({xRule});
    start();
    bringForward(xApp);
    fake.preferences.failingDomains.insert(FakePlatform::globalDomain);
    bringForward(yApp);
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(false)) << "kept for the next start to restore";
    EXPECT_EQ(fake.processInfo.suddenTerminationDisabled, 0);

    engine.reset();
    start();
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(false)) << "a failed repair keeps it too";
    // A notification of a write that left the setting as it was changes nothing.
    fake.notifications.receive(MenuBarAutoHide::changedNotification, std::nullopt);
    fake.runLoop.drain();
    EXPECT_EQ(stateBeforeRule(), platform::PropertyValue(false));
    fake.preferences.failingDomains.clear();
    storeAutoHide(false);
    fake.notifications.receive(MenuBarAutoHide::changedNotification, std::nullopt);
    fake.runLoop.drain();
    EXPECT_FALSE(stateBeforeRule()) << "another program chose off";

    bringForward(xApp);
    fake.preferences.failingDomains.insert(FakePlatform::globalDomain);
    bringForward(yApp);
    ASSERT_EQ(stateBeforeRule(), platform::PropertyValue(false));
    engine->userChoseState();
    EXPECT_FALSE(stateBeforeRule()) << "chosen by hand";
}

}  // namespace
