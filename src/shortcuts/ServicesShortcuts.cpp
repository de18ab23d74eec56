#include "shortcuts/ServicesShortcuts.h"

#include <cstdio>

#include "platform/Logger.h"
#include "platform/Platform.h"
#include "platform/Unicode.h"
#include "shortcuts/TextPropertyList.h"

namespace ServicesShortcuts {
namespace {

namespace unicode = platform::unicode;

constexpr const char* servicesDomain = "pbs";
constexpr const char* servicesStatusKey = "NSServicesStatus";
constexpr std::string_view statusKeySeparator = " - ";
constexpr std::string_view shortcutMessage = "runShortcutAsService";
constexpr std::string_view applicationExtension = ".app";

// The tool prints data as "{length = 3, bytes = 0x616263}", which is no
// property-list syntax; each becomes an empty data item.
constexpr std::string_view dataDescription =
    R"(\{length = \d+, bytes = 0x[0-9a-f]+(?: \.\.\. [0-9a-f]+)?\})";

struct Cache {
    double expires;
    std::vector<Binding> bindings;
};
std::optional<Cache> cache;

// A tool's standard output as UTF-8 text; absent when it could not start,
// failed, overran its limit (logged) or printed something else.
std::optional<std::string> run(const std::string& path, const std::vector<std::string>& arguments,
                               double timeout) {
    auto outcome = platform::current().toolRunner.run(path, arguments, timeout);
    if (std::holds_alternative<platform::ToolOutcomes::TimedOut>(outcome)) {
        char seconds[64];
        std::snprintf(seconds, sizeof seconds, "%f", timeout);
        Log::app().error(path + " took longer than " + seconds + "s; ignoring its output");
        return std::nullopt;
    }
    auto* exited = std::get_if<platform::ToolOutcomes::Exited>(&outcome);
    if (!exited || exited->status != 0) return std::nullopt;
    if (!unicode::isValidUTF8(exited->output)) return std::nullopt;
    return std::move(exited->output);
}

const std::string* textEntry(const platform::PropertyDictionary& dictionary, const char* key) {
    auto* value = platform::find(dictionary, key);
    return value ? value->text() : nullptr;
}

// The "default" text of a localised entry such as NSMenuItem.
const std::string* defaultText(const platform::PropertyDictionary& dictionary, const char* key) {
    auto* value = platform::find(dictionary, key);
    if (!value || !value->dictionary()) return nullptr;
    return textEntry(*value->dictionary(), "default");
}

std::optional<Service> serviceFrom(const platform::PropertyDictionary& declaration) {
    auto* keyEquivalent = defaultText(declaration, "NSKeyEquivalent");
    if (!keyEquivalent || keyEquivalent->empty()) return std::nullopt;
    auto* menuItem = platform::find(declaration, "NSMenuItem");
    if (!menuItem || !menuItem->dictionary() || menuItem->dictionary()->empty()) return std::nullopt;
    auto* name = defaultText(declaration, "NSMenuItem");
    if (!name) return std::nullopt;
    auto* message = textEntry(declaration, "NSMessage");
    if (!message) return std::nullopt;

    std::string bundleID = "(null)";
    if (auto* identifier = textEntry(declaration, "NSBundleIdentifier")) {
        bundleID = *identifier;
    } else if (auto* port = textEntry(declaration, "NSPortName")) {
        bundleID = *port;
    }
    return Service{bundleID, *name, *message, *keyEquivalent};
}

std::vector<Service> installedServices() {
    auto output = run(servicesToolPath, {"-dump"}, toolTimeLimit);
    if (!output) return {};
    return servicesFromDump(*output);
}

std::map<std::string, std::string> shortcutNamesByID() {
    auto output = run(shortcutsToolPath, {"list", "--show-identifiers"}, toolTimeLimit);
    if (!output) return {};
    return shortcutNamesFromList(*output);
}

bool isBlank(char32_t scalar) { return scalar == U'\t' || unicode::isSpaceSeparator(scalar); }

std::string trimmed(std::string_view text) {
    auto scalars = unicode::scalars(text);
    auto first = scalars.begin();
    auto last = scalars.end();
    while (first != last && isBlank(*first)) ++first;
    while (last != first && isBlank(*(last - 1))) --last;
    std::string result;
    for (auto it = first; it != last; ++it) result += unicode::fromScalar(*it);
    return result;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        auto end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, end - start));
        start = end + separator.size();
    }
}

std::string withoutExtension(std::string name) {
    for (auto at = name.find(applicationExtension); at != std::string::npos;
         at = name.find(applicationExtension, at)) {
        name.erase(at, applicationExtension.size());
    }
    return name;
}

// " (Jotter)" for the application with this identifier, or nothing when it
// cannot be found.
std::string applicationSuffix(const std::string& bundleID) {
    auto& workspace = platform::current().workspace;
    auto path = workspace.applicationPath(bundleID);
    if (!path) return "";
    return " (" + withoutExtension(workspace.displayName(*path)) + ")";
}

std::string serviceDescription(const std::string& name, const std::string& bundleID) {
    return "the “" + name + "” service" + applicationSuffix(bundleID);
}

// The user's Services settings: status key to its settings. Anything but a
// dictionary of dictionaries reads as no settings.
platform::PropertyDictionary statusMap() {
    auto stored = platform::current().preferences.copyValue(servicesDomain, servicesStatusKey);
    if (!stored || !stored->dictionary()) return {};
    for (const auto& [key, settings] : *stored->dictionary()) {
        if (!settings.dictionary()) return {};
    }
    return *stored->dictionary();
}

// The settings' bindings. The Shortcuts app's names are asked for once, and
// only when a shortcut entry needs one.
void appendStatusBindings(const platform::PropertyDictionary& status, std::vector<Binding>& result) {
    std::optional<std::map<std::string, std::string>> shortcutNames;
    for (const auto& [key, value] : status) {
        const auto& settings = *value.dictionary();
        auto* shown = platform::find(settings, "enabled_services_menu");
        if (shown && shown->boolean() == false) continue;
        auto* keyEquivalent = textEntry(settings, "key_equivalent");
        if (!keyEquivalent) continue;
        auto hotKey = HotKey::fromServicesKeyEquivalent(*keyEquivalent);
        if (!hotKey) continue;
        auto parts = split(key, statusKeySeparator);
        if (parts.size() < 3) continue;

        if (parts[2] != shortcutMessage) {
            result.push_back({*hotKey, serviceDescription(parts[1], parts[0])});
            continue;
        }
        if (!shortcutNames) shortcutNames = shortcutNamesByID();
        auto found = shortcutNames->find(parts[1]);
        const std::string& name = found != shortcutNames->end() ? found->second : parts[1];
        result.push_back({*hotKey, "the “" + name + "” shortcut in the Shortcuts app"});
    }
}

// Declared shortcuts of services the user never configured.
void appendDeclaredBindings(const platform::PropertyDictionary& status, std::vector<Binding>& result) {
    for (const auto& service : installedServices()) {
        std::string statusKey = service.bundleID + std::string(statusKeySeparator) + service.name +
                                std::string(statusKeySeparator) + service.message;
        if (status.contains(statusKey)) continue;
        auto hotKey = HotKey::fromServicesKeyEquivalent(service.keyEquivalent);
        if (!hotKey) continue;
        result.push_back({*hotKey, serviceDescription(service.name, service.bundleID)});
    }
}

std::vector<Binding> gatherBindings() {
    auto status = statusMap();
    std::vector<Binding> result;
    appendStatusBindings(status, result);
    appendDeclaredBindings(status, result);
    return result;
}

}  // namespace

namespace {

const std::vector<Binding>& freshBindings() {
    double now = platform::current().runLoop.now();
    if (cache && cache->expires > now) return cache->bindings;
    auto gathered = gatherBindings();
    // The tools may have taken seconds; the lifetime counts from when the
    // list was complete.
    cache = Cache{platform::current().runLoop.now() + cacheLifetime, std::move(gathered)};
    return cache->bindings;
}

}  // namespace

std::vector<Binding> bindings() { return freshBindings(); }

std::optional<std::string> owner(const HotKey& hotKey) {
    for (const auto& binding : freshBindings()) {
        if (binding.hotKey == hotKey) return binding.description;
    }
    return std::nullopt;
}

std::vector<Service> servicesFromDump(std::string_view output) {
    auto cleaned = unicode::replacingMatches(output, dataDescription, "<>");
    auto parsed = TextPropertyList::parse(cleaned);
    auto* value = std::get_if<platform::PropertyValue>(&parsed);
    if (!value || !value->array()) return {};
    std::vector<Service> services;
    for (const auto& element : *value->array()) {
        if (!element.dictionary()) return {};
    }
    for (const auto& element : *value->array()) {
        if (auto service = serviceFrom(*element.dictionary())) services.push_back(*service);
    }
    return services;
}

std::map<std::string, std::string> shortcutNamesFromList(std::string_view output) {
    std::map<std::string, std::string> names;
    for (const auto& line : split(output, "\n")) {
        if (line.empty() || line.back() != ')') continue;
        auto open = line.rfind('(');
        if (open == std::string::npos) continue;
        auto identifier = line.substr(open + 1, line.size() - open - 2);
        names.insert_or_assign(identifier, trimmed(std::string_view(line).substr(0, open)));
    }
    return names;
}

void forgetCache() {
    cache.reset();
}

}  // namespace ServicesShortcuts
