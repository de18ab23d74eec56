#include "shortcuts/HotKeyCenter.h"

#include <string>

#include "platform/Logger.h"
#include "platform/Platform.h"

namespace {

platform::GlobalHotKeys& hotKeys() { return platform::current().globalHotKeys; }

}  // namespace

HotKeyCenter::HotKeyCenter(std::function<void()> action) : action_(std::move(action)) {
    auto installed = hotKeys().installHandler(
        [this](std::optional<platform::HotKeyIdentifier> eventIdentifier) { return handle(eventIdentifier); });
    if (auto* ref = std::get_if<platform::HotKeyHandlerRef>(&installed)) {
        handlerRef_ = *ref;
        return;
    }
    Log::app().error("Could not install the hotkey event handler (" +
                     std::to_string(std::get<std::int32_t>(installed)) + ")");
}

HotKeyCenter::~HotKeyCenter() {
    unregister();
    if (handlerRef_) hotKeys().removeHandler(*handlerRef_);
}

std::optional<RegistrationError> HotKeyCenter::registerHotKey(const HotKey& hotKey) {
    unregister();
    auto registered = hotKeys().registerHotKey(hotKey.keyCode, hotKey.carbonModifiers(), identifier);
    if (auto* ref = std::get_if<platform::HotKeyRef>(&registered)) {
        hotKeyRef_ = *ref;
        current_ = hotKey;
        return std::nullopt;
    }
    auto status = std::get<std::int32_t>(registered);
    if (status == platform::HotKeyStatus::eventHotKeyExistsErr) return RegistrationErrors::TakenByAnotherApp{};
    return RegistrationErrors::Failed{status};
}

void HotKeyCenter::unregister() {
    if (hotKeyRef_) hotKeys().unregisterHotKey(*hotKeyRef_);
    hotKeyRef_.reset();
    current_.reset();
}

std::int32_t HotKeyCenter::handle(std::optional<platform::HotKeyIdentifier> eventIdentifier) {
    // Other registrations of the process are left to their own handlers.
    if (!eventIdentifier || *eventIdentifier != identifier) {
        return platform::HotKeyStatus::eventNotHandledErr;
    }
    action_();
    return platform::HotKeyStatus::noErr;
}
