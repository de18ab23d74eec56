#pragma once

// Preference domains: named, persistent key-value stores shared by every
// process of the user. The global domain holds settings of the whole desktop;
// each application has a domain named by its bundle identifier.

#include <optional>
#include <string>

#include "platform/PropertyValue.h"

namespace platform {

class PreferenceDomains {
public:
    // The domain every application reads, the desktop's global settings.
    static constexpr const char* globalDomain = ".GlobalPreferences";

    virtual ~PreferenceDomains() = default;

    // The value stored under `key`, read fresh (a value set but not yet
    // synchronised included). A domain that cannot be read has no values.
    virtual std::optional<PropertyValue> copyValue(const std::string& domain,
                                                   const std::string& key) = 0;

    // Sets (or, with no value, removes) a key. Durable only after synchronize.
    virtual void setValue(const std::string& domain, const std::string& key,
                          std::optional<PropertyValue> value) = 0;

    // Writes the domain's pending changes to durable storage; true when every
    // step succeeded (nothing pending counts as success). Changes that could
    // not be written are dropped: reads answer what storage holds, so what
    // another program stores later is seen rather than hidden by them.
    virtual bool synchronize(const std::string& domain) = 0;

    // Values that answer reads of an application's own keys that were never
    // stored. They live in memory and are never written.
    void registerDefaults(const PropertyDictionary& defaults) {
        for (const auto& [key, value] : defaults) registeredDefaults_.insert_or_assign(key, value);
    }
    const PropertyDictionary& registeredDefaults() const { return registeredDefaults_; }

private:
    PropertyDictionary registeredDefaults_;
};

}  // namespace platform
