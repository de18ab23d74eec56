#include <gtest/gtest.h>

#include <map>

#include "fakes/FakePlatform.h"
#include "housekeeping/Support.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"

namespace {

// Reads a query back as a receiver would: "+" is taken literally.
std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded +=
                static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
            continue;
        }
        decoded += text[i];
    }
    return decoded;
}

std::map<std::string, std::string> queryItems(const std::string& url) {
    std::map<std::string, std::string> items;
    auto rest = std::string_view(url).substr(url.find('?') + 1);
    while (!rest.empty()) {
        auto item = rest.substr(0, rest.find('&'));
        rest.remove_prefix(std::min(rest.size(), item.size() + 1));
        auto equals = item.find('=');
        items[percentDecoded(item.substr(0, equals))] = percentDecoded(item.substr(equals + 1));
    }
    return items;
}

class SupportTest : public fakes::PlatformTest {
protected:
    void givenRules(int count) {
        std::vector<AppRule> rules;
        for (int i = 0; i < count; ++i)
            rules.push_back({"com.example." + std::to_string(i), "App", true});
        Preferences::setAppRules(rules);
    }
    std::string composedEmail() {
        Support::composeEmail();
        EXPECT_EQ(fake.workspace.openedURLs.size(), 1u);
        return fake.workspace.openedURLs.empty() ? "" : fake.workspace.openedURLs.back();
    }
};

TEST_F(SupportTest, PagesLieOnTheProductSite) {
    EXPECT_EQ(Support::website(), "https://tarnwick.app/support");
    EXPECT_EQ(Support::privacyPolicy(), "https://tarnwick.app/privacy");
}

TEST_F(SupportTest, TheUpdatePageCarriesTheRunningVersionAndBuild) {
    fake.processInfo.bundle.shortVersion = "1.2";
    fake.processInfo.bundle.version = "34";
    EXPECT_EQ(Support::updatePage(), "https://tarnwick.app/update?version=1.2&build=34");

    // Read afresh, and a missing value still names its key.
    fake.processInfo.bundle.shortVersion = "";
    auto items = queryItems(Support::updatePage());
    EXPECT_EQ(items, (std::map<std::string, std::string>{{"version", "?"}, {"build", "34"}}));
}

TEST_F(SupportTest, TheEmailCarriesTheFactsBelowRoomForAMessage) {
    fake.processInfo.bundle.shortVersion = "1.2";
    fake.processInfo.bundle.version = "34";
    MenuBarAutoHide::setOn(true);
    givenRules(3);
    EXPECT_EQ(
        composedEmail(),
        "mailto:support@tarnwick.app?subject=Tarnwick&body=%0A%0A%E2%80%94%0ATarnwick%201.2%20"
        "%2834%2C%20direct%29%2C%20Version%2026.0%20%28Build%2025A100%29%0Aauto-hide%3A%20on"
        "%3B%203%20app%20rule%28s%29");
}

TEST_F(SupportTest, TheBodyReadsBackIntactWhateverTheSystemCallsItself) {
    fake.processInfo.bundle.version = "";
    fake.processInfo.versionString = "Linux 6.1+deb12 & co = #1 100%";
    auto url = composedEmail();
    EXPECT_EQ(url.find('+'), std::string::npos) << "form decoders read a plus as a space";
    auto items = queryItems(url);
    ASSERT_EQ(items.size(), 2u) << "nothing in the body splits the query";
    EXPECT_EQ(items["subject"], "Tarnwick");
    EXPECT_EQ(items["body"],
              "\n\n\u2014\nTarnwick 1.0 (?, direct), Linux 6.1+deb12 & co = #1 100%\n"
              "auto-hide: off; 0 app rule(s)");
}

}  // namespace
