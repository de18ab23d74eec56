#pragma once

// The program's outward links: support and privacy pages, the update page
// that carries the running version, and a prepared support e-mail. Callers
// open the pages with the workspace; composeEmail() opens the e-mail itself.

#include <string>
#include <string_view>

namespace Support {

inline constexpr const char* productSite = "https://tarnwick.app";
inline constexpr const char* supportAddress = "support@tarnwick.app";
inline constexpr const char* distributionChannel = "direct";

const std::string& website();
const std::string& privacyPolicy();
// Carries the version and build, so it is built afresh on each use.
std::string updatePage();

// The mailto address of a support request: the facts support needs below
// room for the user's message.
std::string emailURL();
// Opens emailURL() with the user's mail program.
void composeEmail();

// Encodes everything but RFC 3986's unreserved characters, so that a value
// holding "&", "=", "+" or "#" reads back unchanged.
std::string percentEncoded(std::string_view text);

}  // namespace Support
