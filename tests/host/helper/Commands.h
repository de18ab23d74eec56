#pragma once

// The host test helper is one program with several commands, each a small
// scenario a host test runs in a separate process. A command registers
// itself with a static HelperCommand.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace helper {

using Command = std::function<int(const std::vector<std::string>& arguments)>;

std::map<std::string, Command>& commands();

struct HelperCommand {
    HelperCommand(const std::string& name, Command command) {
        commands().emplace(name, std::move(command));
    }
};

}  // namespace helper
