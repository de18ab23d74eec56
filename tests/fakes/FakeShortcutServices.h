#pragma once

// Stand-ins for the services shortcuts depend on: global registration, the
// system's own shortcuts and external tools.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/GlobalHotKeys.h"
#include "platform/SymbolicHotKeys.h"
#include "platform/ToolRunner.h"

namespace fakes {

class FakeGlobalHotKeys : public platform::GlobalHotKeys {
public:
    struct Registration {
        std::uint32_t keyCode;
        std::uint32_t carbonModifiers;
        platform::HotKeyIdentifier identifier;
    };
    using Combination = std::pair<std::uint32_t, std::uint32_t>;  // key code, Carbon modifiers

    Result<platform::HotKeyHandlerRef> installHandler(Handler handler) override;
    void removeHandler(platform::HotKeyHandlerRef handler) override { handlers_.erase(handler); }
    Result<platform::HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                               platform::HotKeyIdentifier identifier) override;
    void unregisterHotKey(platform::HotKeyRef hotKey) override;

    // A person presses the combination: its registrations' events are
    // dispatched. True when a handler took one.
    bool press(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    // Dispatches one event to the handlers; the first answer other than
    // "not handled" wins.
    std::int32_t dispatch(std::optional<platform::HotKeyIdentifier> identifier);

    bool isRegistered(std::uint32_t keyCode, std::uint32_t carbonModifiers) const;
    std::size_t handlerCount() const { return handlers_.size(); }

    std::set<Combination> heldElsewhere;               // refused as taken
    std::map<Combination, std::int32_t> failures;      // refused with this status
    std::int32_t installStatus = platform::HotKeyStatus::noErr;
    int registerCalls = 0;
    int unregisterCalls = 0;
    std::map<platform::HotKeyRef, Registration> registrations;

private:
    std::map<platform::HotKeyHandlerRef, Handler> handlers_;
    std::uint64_t nextRef_ = 1;
};

class FakeSymbolicHotKeys : public platform::SymbolicHotKeys {
public:
    std::optional<platform::PropertyValue> copySymbolicHotKeys() override {
        ++copies;
        return answer;
    }
    // Adds an entry to the list the system answers.
    void add(std::int64_t keyCode, std::int64_t carbonModifiers, bool enabled = true);
    // The system answers these entries, in this order.
    void answerWith(const std::vector<platform::NumberedSymbolicHotKey>& shortcuts);

    std::optional<platform::PropertyValue> answer = platform::PropertyValue(platform::PropertyArray{});
    int copies = 0;
};

class FakeToolRunner : public platform::ToolRunner {
public:
    platform::ToolOutcome run(const std::string& path, const std::vector<std::string>& arguments,
                              double timeoutSeconds) override;

    // A tool that prints `output` and exits with `status`.
    void script(const std::string& path, std::string output, int status = 0) {
        outcomes[path] = platform::ToolOutcomes::Exited{status, std::move(output)};
    }
    std::size_t runCount(const std::string& path) const;

    std::map<std::string, platform::ToolOutcome> outcomes;  // unknown tools fail to launch
    struct Call {
        std::string path;
        std::vector<std::string> arguments;
        double timeoutSeconds;
    };
    std::vector<Call> calls;
};

}  // namespace fakes
