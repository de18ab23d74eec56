#pragma once

// Makes the menu bar auto-hide setting follow the application in front: while
// an application with a rule is in front its value is forced, and the value
// from before the first rule comes back when an application without one comes
// forward or the program quits. Also keeps the recently used applications.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "kit/NotificationCenter.h"
#include "platform/DistributedNotifications.h"
#include "platform/Workspace.h"
#include "rules/AppRule.h"

// System components whose coming to the front is ignored entirely; the rules
// list also keeps them out of its choices.
const std::set<std::string, std::less<>>& ignoredBundleIDs();

class AppRuleEngine {
public:
    static constexpr std::size_t maxRecentApps = 12;

    // Loads the stored lists, starts observing, evaluates the application
    // already in front and repairs a value left over by an interrupted run.
    AppRuleEngine();
    // Removes the observers; restores nothing (quitting does that).
    ~AppRuleEngine();
    AppRuleEngine(const AppRuleEngine&) = delete;
    AppRuleEngine& operator=(const AppRuleEngine&) = delete;

    // Called after `set` or `remove` changed the rule list.
    std::function<void()> onChange;

    const std::vector<AppRule>& rules() const { return rules_; }
    // Most recent first, at most `maxRecentApps`.
    const std::vector<AppRef>& recentApps() const { return recentApps_; }
    const std::optional<AppRule>& activeRule() const { return activeRule_; }

    // The first rule for this bundle identifier.
    std::optional<AppRule> rule(std::string_view bundleID) const;
    // Replaces the rule for the same application in place, or appends it.
    void set(const AppRule& rule);
    // Removes every rule for the application; always stores and evaluates.
    void remove(std::string_view bundleID);
    // The person set the setting by hand (shortcut, menu, right-click): with
    // no rule in force, a value kept from a restore that failed no longer
    // waits to come back over their choice.
    void userChoseState();

private:
    void appActivated(const platform::RunningApplication& application);
    // Answers whether the front application changed.
    bool acceptFront(const platform::RunningApplication& application);
    void evaluate();
    void enterRule(const AppRule& rule);
    // True when the setting holds the value afterwards.
    bool apply(bool autoHide, std::string_view reason);
    void leave(std::string_view reason);
    void remember(const AppRef& ref);
    void repairLeftOverState();
    void rulesChanged();
    void holdSuddenTermination(bool hold);
    void settingChanged();
    void keepAfterFailedRestore();
    void forgetKeptState();

    std::vector<AppRule> rules_;
    std::vector<AppRef> recentApps_;
    std::optional<std::string> currentBundleID_;
    // Tells "front application without bundle identifier" from "none seen".
    bool haveCurrentApp_ = false;
    std::optional<AppRule> activeRule_;
    std::optional<platform::ObserverId> activationObserver_;
    std::optional<kit::NotificationCenter::ObserverId> terminateObserver_;
    std::optional<platform::ObserverId> settingObserver_;
    // The setting as a failed restore left it, while the value to restore
    // is kept for a later try.
    std::optional<bool> stateLeftByFailedRestore_;
    bool holdsSuddenTermination_ = false;
};
