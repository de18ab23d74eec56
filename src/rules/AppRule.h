#pragma once

// The records of the per-application feature: a rule forcing the menu bar
// setting while one application is in front, and a recently used application.

#include <optional>
#include <string>
#include <vector>

#include "kit/Image.h"
#include "platform/PropertyValue.h"

struct AppRule {
    std::string bundleID;  // the rule's key: one rule per application
    std::string name;      // display name when the rule was made
    bool autoHide = false;  // forced value while the application is in front

    // Text compares as Unicode: canonically equivalent forms are equal.
    bool operator==(const AppRule& other) const;

    // Stored form: {"bundleID": text, "name": text, "autoHide": boolean}.
    platform::PropertyDictionary dictionary() const;
    // Absent without a text "bundleID" or a boolean "autoHide"; a missing or
    // non-text "name" falls back to the bundle identifier.
    static std::optional<AppRule> fromDictionary(const platform::PropertyDictionary& dictionary);
};

struct AppRef {
    std::string bundleID;
    std::string name;  // display name when it was last in front

    bool operator==(const AppRef& other) const;

    // Stored form: {"bundleID": text, "name": text}.
    platform::PropertyDictionary dictionary() const;
    // Absent unless both entries are there.
    static std::optional<AppRef> fromDictionary(const platform::PropertyDictionary& dictionary);

    // The icon of the installed application with this identifier, else the
    // generic application icon, so an uninstalled one still shows one.
    static kit::Image icon(const std::string& bundleID);
    // The icon of the application installed at `applicationPath`, absent
    // when the desktop shows none we can read.
    static std::optional<kit::Image> iconAt(const std::string& applicationPath);
};

// Reading a stored list: nothing or a non-array is empty; one element of the
// wrong kind empties the whole list; entries that give no record are skipped.
// A list of over 2,000 entries reads as empty, and an entry with a text over
// 4 KB is skipped, each said once in an error line.
std::vector<AppRule> appRulesFromStored(const std::optional<platform::PropertyValue>& stored);
std::vector<AppRef> appRefsFromStored(const std::optional<platform::PropertyValue>& stored);

platform::PropertyArray storedForm(const std::vector<AppRule>& rules);
platform::PropertyArray storedForm(const std::vector<AppRef>& apps);
