#include "housekeeping/Support.h"

#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "prefs/MenuBarAutoHide.h"
#include "prefs/Preferences.h"

namespace Support {

namespace {

using QueryItems = std::vector<std::pair<std::string, std::string>>;

std::string orQuestionMark(const std::string& value) {
    return value.empty() ? "?" : value;
}

std::string version() {
    return orQuestionMark(platform::current().processInfo.mainBundle().shortVersion);
}

std::string buildNumber() {
    return orQuestionMark(platform::current().processInfo.mainBundle().version);
}

std::string withQuery(std::string address, const QueryItems& items) {
    char separator = '?';
    for (const auto& [name, value] : items) {
        address += separator + percentEncoded(name) + '=' + percentEncoded(value);
        separator = '&';
    }
    return address;
}

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string emailBody() {
    std::string body = "\n\n\u2014\nTarnwick ";
    body += version() + " (" + buildNumber() + ", " + distributionChannel + "), ";
    body += platform::current().processInfo.operatingSystemVersionString();
    body += "\nauto-hide: ";
    body += MenuBarAutoHide::isOn() ? "on" : "off";
    body += "; " + std::to_string(Preferences::appRules().size()) + " app rule(s)";
    return body;
}

}  // namespace

const std::string& website() {
    static const std::string address = std::string(productSite) + "/support";
    return address;
}

const std::string& privacyPolicy() {
    static const std::string address = std::string(productSite) + "/privacy";
    return address;
}

std::string updatePage() {
    return withQuery(std::string(productSite) + "/update",
                     {{"version", version()}, {"build", buildNumber()}});
}

std::string emailURL() {
    return withQuery(std::string("mailto:") + supportAddress,
                     {{"subject", "Tarnwick"}, {"body", emailBody()}});
}

// Every character is encoded or allowed, so the address can always be formed.
void composeEmail() {
    platform::current().workspace.openURL(emailURL());
}

std::string percentEncoded(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (unsigned char c : text) {
        if (isUnreserved(c)) {
            encoded += static_cast<char>(c);
            continue;
        }
        encoded += '%';
        encoded += hex[c >> 4];
        encoded += hex[c & 0x0F];
    }
    return encoded;
}

}  // namespace Support
