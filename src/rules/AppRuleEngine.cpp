#include "rules/AppRuleEngine.h"

#include <algorithm>

#include "kit/Application.h"
#include "platform/Logger.h"
#include "platform/Platform.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"

namespace {

constexpr std::string_view leavingReason = "leaving the last rule's app";
constexpr std::string_view quittingReason = "quitting";
constexpr std::string_view repairReason = "restoring the setting from before the last rule";

std::string frontLine(const platform::RunningApplication& application) {
    return "In front: " + application.localizedName.value_or("?") + " [" +
           application.bundleIdentifier.value_or("no bundle id") + "]";
}

}  // namespace

const std::set<std::string, std::less<>>& ignoredBundleIDs() {
    static const std::set<std::string, std::less<>> identifiers{
        "com.apple.Spotlight",
        "com.apple.controlcenter",
        "com.apple.notificationcenterui",
        "com.apple.dock",
        "com.apple.loginwindow",
        "com.apple.ScreenSaver.Engine",
        "com.apple.WindowManager",
        "com.apple.SecurityAgent",
        "com.apple.coreservices.uiagent",
        "com.apple.screencaptureui",
        "com.apple.Siri",
        "com.apple.systemuiserver",
        "com.apple.UserNotificationCenter",
    };
    return identifiers;
}

AppRuleEngine::AppRuleEngine()
    : rules_(Preferences::appRules()), recentApps_(Preferences::recentApps()) {
    auto& platform = platform::current();
    // Both observers go in the destructor, so neither can reach a destroyed engine.
    activationObserver_ = platform.workspace.observeActivations(
        [this](const platform::RunningApplication& application) { appActivated(application); });
    terminateObserver_ = kit::NotificationCenter::defaultCenter().addObserver(
        kit::Application::willTerminateNotification, [this] { leave(quittingReason); });
    settingObserver_ = platform.distributedNotifications.addObserver(
        MenuBarAutoHide::changedNotification,
        [this](const std::string&, const std::optional<std::string>&) { settingChanged(); });
    if (auto front = platform.workspace.frontmostApplication()) appActivated(*front);
    repairLeftOverState();
}

AppRuleEngine::~AppRuleEngine() {
    if (activationObserver_) {
        platform::current().workspace.removeActivationObserver(*activationObserver_);
    }
    if (terminateObserver_) {
        kit::NotificationCenter::defaultCenter().removeObserver(*terminateObserver_);
    }
    if (settingObserver_) {
        platform::current().distributedNotifications.removeObserver(*settingObserver_);
    }
}

std::optional<AppRule> AppRuleEngine::rule(std::string_view bundleID) const {
    auto found = std::find_if(rules_.begin(), rules_.end(),
                              [&](const AppRule& rule) { return rule.bundleID == bundleID; });
    if (found == rules_.end()) return std::nullopt;
    return *found;
}

void AppRuleEngine::set(const AppRule& rule) {
    auto found = std::find_if(rules_.begin(), rules_.end(),
                              [&](const AppRule& each) { return each.bundleID == rule.bundleID; });
    if (found != rules_.end()) {
        *found = rule;
    } else {
        rules_.push_back(rule);
    }
    rulesChanged();
}

void AppRuleEngine::remove(std::string_view bundleID) {
    std::erase_if(rules_, [&](const AppRule& rule) { return rule.bundleID == bundleID; });
    rulesChanged();
}

void AppRuleEngine::rulesChanged() {
    Preferences::setAppRules(rules_);
    evaluate();
    if (onChange) onChange();
}

void AppRuleEngine::appActivated(const platform::RunningApplication& application) {
    // Bringing our own settings window forward never ends a rule.
    if (application.processIdentifier == platform::current().processInfo.processIdentifier()) {
        return;
    }
    if (!acceptFront(application)) return;
    haveCurrentApp_ = true;
    Log::app().info(frontLine(application));
    evaluate();
}

bool AppRuleEngine::acceptFront(const platform::RunningApplication& application) {
    if (!application.bundleIdentifier) {
        // Not remembered: there is nothing a rule could be made for.
        if (haveCurrentApp_ && !currentBundleID_) return false;
        currentBundleID_.reset();
        return true;
    }
    const auto& bundleID = *application.bundleIdentifier;
    if (ignoredBundleIDs().contains(bundleID)) return false;
    // Background and accessory applications count only when they have a rule.
    bool regular = application.activationPolicy == platform::ActivationPolicy::regular;
    if (!regular && !rule(bundleID)) return false;
    remember({bundleID, application.localizedName.value_or(bundleID)});
    if (haveCurrentApp_ && currentBundleID_ == bundleID) return false;
    currentBundleID_ = bundleID;
    return true;
}

void AppRuleEngine::evaluate() {
    auto candidate = currentBundleID_ ? rule(*currentBundleID_) : std::nullopt;
    if (!activeRule_) {
        if (candidate) enterRule(*candidate);
        return;
    }
    if (!candidate) {
        leave(leavingReason);
        return;
    }
    if (*candidate == *activeRule_) return;
    // The saved value stays, so a chain of rules restores the one from before the first.
    activeRule_ = candidate;
    apply(candidate->autoHide, candidate->name);
}

void AppRuleEngine::enterRule(const AppRule& rule) {
    // A value left by an interrupted run is older, so it is the one to keep.
    if (!Preferences::stateBeforeRule()) Preferences::setStateBeforeRule(MenuBarAutoHide::isOn());
    stateLeftByFailedRestore_.reset();
    holdSuddenTermination(true);
    activeRule_ = rule;
    apply(rule.autoHide, rule.name);
}

bool AppRuleEngine::apply(bool autoHide, std::string_view reason) {
    if (MenuBarAutoHide::isOn() == autoHide) return true;
    bool written = MenuBarAutoHide::setOn(autoHide);
    // Logged even when the write failed: the engine has moved on either way.
    std::string line = "Rule: auto-hide ";
    line += autoHide ? "on" : "off";
    line += " (";
    line += reason;
    line += ")";
    Log::app().notice(line);
    return written;
}

void AppRuleEngine::leave(std::string_view reason) {
    if (!activeRule_) return;
    activeRule_.reset();
    auto saved = Preferences::stateBeforeRule();
    // The saved value is dropped only once it is back in place: if the
    // restoring write fails, the next start (or rule) restores it again.
    if (!saved || apply(*saved, reason)) {
        Preferences::setStateBeforeRule(std::nullopt);
    } else {
        keepAfterFailedRestore();
    }
    holdSuddenTermination(false);
}

void AppRuleEngine::keepAfterFailedRestore() {
    stateLeftByFailedRestore_ = MenuBarAutoHide::isOn();
}

void AppRuleEngine::forgetKeptState() {
    stateLeftByFailedRestore_.reset();
    if (Preferences::stateBeforeRule()) Preferences::setStateBeforeRule(std::nullopt);
}

void AppRuleEngine::userChoseState() {
    if (!activeRule_) forgetKeptState();
}

// Someone (this program or another) stored the setting. A value kept from a
// failed restore gives way once the setting is no longer what that restore
// left: whoever changed it chose the state that counts now.
void AppRuleEngine::settingChanged() {
    if (activeRule_ || !stateLeftByFailedRestore_) return;
    if (MenuBarAutoHide::isOn() == *stateLeftByFailedRestore_) return;
    forgetKeptState();
}

void AppRuleEngine::remember(const AppRef& ref) {
    std::vector<AppRef> updated{ref};
    for (const auto& app : recentApps_) {
        if (app.bundleID != ref.bundleID) updated.push_back(app);
    }
    if (updated.size() > maxRecentApps) updated.resize(maxRecentApps);
    if (updated == recentApps_) return;
    recentApps_ = std::move(updated);
    Preferences::setRecentApps(recentApps_);
}

void AppRuleEngine::repairLeftOverState() {
    // A previous run ended with a rule in force and never put the value back.
    if (activeRule_) return;
    auto saved = Preferences::stateBeforeRule();
    if (!saved) return;
    // Kept until it is back in place, as when leaving a rule.
    if (apply(*saved, repairReason)) {
        Preferences::setStateBeforeRule(std::nullopt);
        return;
    }
    keepAfterFailedRestore();
}

void AppRuleEngine::holdSuddenTermination(bool hold) {
    if (holdsSuddenTermination_ == hold) return;
    holdsSuddenTermination_ = hold;
    auto& processInfo = platform::current().processInfo;
    // Quitting must run through the terminate path while a value waits to be restored.
    if (hold) {
        processInfo.disableSuddenTermination();
        return;
    }
    processInfo.enableSuddenTermination();
}
