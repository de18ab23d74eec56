#include "fakes/FakeShortcutServices.h"

#include <algorithm>

namespace fakes {

using namespace platform;

GlobalHotKeys::Result<HotKeyHandlerRef> FakeGlobalHotKeys::installHandler(Handler handler) {
    if (installStatus != HotKeyStatus::noErr) return installStatus;
    auto ref = nextRef_++;
    handlers_.emplace(ref, std::move(handler));
    return ref;
}

GlobalHotKeys::Result<HotKeyRef> FakeGlobalHotKeys::registerHotKey(std::uint32_t keyCode,
                                                                   std::uint32_t carbonModifiers,
                                                                   HotKeyIdentifier identifier) {
    ++registerCalls;
    Combination combination{keyCode, carbonModifiers};
    if (heldElsewhere.count(combination)) return HotKeyStatus::eventHotKeyExistsErr;
    if (auto failure = failures.find(combination); failure != failures.end()) return failure->second;
    if (isRegistered(keyCode, carbonModifiers)) return HotKeyStatus::eventHotKeyExistsErr;
    auto ref = nextRef_++;
    registrations.emplace(ref, Registration{keyCode, carbonModifiers, identifier});
    return ref;
}

void FakeGlobalHotKeys::unregisterHotKey(HotKeyRef hotKey) {
    ++unregisterCalls;
    registrations.erase(hotKey);
}

bool FakeGlobalHotKeys::press(std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    bool handled = false;
    for (const auto& [ref, registration] : registrations) {
        if (registration.keyCode != keyCode || registration.carbonModifiers != carbonModifiers) continue;
        handled = dispatch(registration.identifier) == HotKeyStatus::noErr || handled;
    }
    return handled;
}

std::int32_t FakeGlobalHotKeys::dispatch(std::optional<HotKeyIdentifier> identifier) {
    // Copied: a handler may change the registrations.
    auto handlers = handlers_;
    for (auto& [ref, handler] : handlers) {
        auto answer = handler(identifier);
        if (answer != HotKeyStatus::eventNotHandledErr) return answer;
    }
    return HotKeyStatus::eventNotHandledErr;
}

bool FakeGlobalHotKeys::isRegistered(std::uint32_t keyCode, std::uint32_t carbonModifiers) const {
    return std::any_of(registrations.begin(), registrations.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.carbonModifiers == carbonModifiers;
    });
}

void FakeSymbolicHotKeys::add(std::int64_t keyCode, std::int64_t carbonModifiers, bool enabled) {
    if (!answer || !answer->array()) answer = PropertyValue(PropertyArray{});
    auto list = *answer->array();
    list.emplace_back(PropertyDictionary{
        {SymbolicHotKeyKeys::enabled, enabled},
        {SymbolicHotKeyKeys::code, keyCode},
        {SymbolicHotKeyKeys::modifiers, carbonModifiers},
    });
    answer = PropertyValue(std::move(list));
}

void FakeSymbolicHotKeys::answerWith(
    const std::vector<platform::NumberedSymbolicHotKey>& shortcuts) {
    PropertyArray list;
    for (const auto& shortcut : shortcuts) list.emplace_back(shortcut.entry);
    answer = PropertyValue(std::move(list));
}

ToolOutcome FakeToolRunner::run(const std::string& path, const std::vector<std::string>& arguments,
                                double timeoutSeconds) {
    calls.push_back({path, arguments, timeoutSeconds});
    auto found = outcomes.find(path);
    if (found == outcomes.end()) return ToolOutcomes::LaunchFailed{};
    return found->second;
}

std::size_t FakeToolRunner::runCount(const std::string& path) const {
    return std::count_if(calls.begin(), calls.end(), [&](const Call& call) { return call.path == path; });
}

}  // namespace fakes
