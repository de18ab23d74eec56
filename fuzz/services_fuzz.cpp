// What the Services check reads from outside: key equivalents from the
// user's settings and from applications' declarations, the services tool's
// dump and the Shortcuts app's list. Any bytes must give an answer (often
// none), never a crash.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/HostPlatform.h"
#include "shortcuts/ServicesShortcuts.h"

namespace {

void installHostOnce() {
    static host::HostPlatform* host = [] {
        auto* created = new host::HostPlatform();
        platform::install(&created->platform());
        return created;
    }();
    (void)host;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installHostOnce();
    std::string_view text(reinterpret_cast<const char*>(data), size);

    if (auto hotKey = HotKey::fromServicesKeyEquivalent(text)) {
        if (hotKey->modifiers & ~ModifierFlags::mask) std::abort();
        if (hotKey->modifiers == 0) std::abort();  // a key equivalent always has a modifier
    }
    for (const auto& [identifier, name] : ServicesShortcuts::shortcutNamesFromList(text)) {
        if (identifier.find('\n') != std::string::npos || name.find('\n') != std::string::npos) std::abort();
    }
    for (const auto& service : ServicesShortcuts::servicesFromDump(text)) {
        if (service.keyEquivalent.empty()) std::abort();
    }
    return 0;
}
