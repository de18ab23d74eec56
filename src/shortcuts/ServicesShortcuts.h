#pragma once

// Whether a shortcut already belongs to a Services menu entry: a service an
// installed application offers, or a Shortcuts-app shortcut published as a
// service. Put together from the user's Services settings and two system
// tools, and kept for five seconds because the tools are slow.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shortcuts/HotKey.h"

namespace ServicesShortcuts {

inline constexpr const char* servicesToolPath = "/System/Library/CoreServices/pbs";
inline constexpr const char* shortcutsToolPath = "/usr/bin/shortcuts";
inline constexpr double toolTimeLimit = 2.0;
inline constexpr double cacheLifetime = 5.0;

struct Binding {
    HotKey hotKey;
    std::string description;  // e.g. the “Make Note” service (Jotter)
    bool operator==(const Binding&) const = default;
};

// Services settings first, then the services' own declarations; from the
// cache while it is fresh.
std::vector<Binding> bindings();

// The description of the first binding with this key and these modifiers.
std::optional<std::string> owner(const HotKey& hotKey);

// One installed service as its application declares it.
struct Service {
    std::string bundleID;
    std::string name;
    std::string message;
    std::string keyEquivalent;
    bool operator==(const Service&) const = default;
};

// The readers of the two tools' output, open for fuzzing. Anything they
// cannot read gives fewer entries, never an error.
std::vector<Service> servicesFromDump(std::string_view output);
std::map<std::string, std::string> shortcutNamesFromList(std::string_view output);

// Drops the cached list, whose shortcuts name keys by the layout they were
// read with: after a layout switch, and for tests that start every case anew.
void forgetCache();

}  // namespace ServicesShortcuts
