#include <cstdio>

#include "Commands.h"

namespace helper {
std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> all;
    return all;
}
}  // namespace helper

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: host_test_helper COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    auto found = helper::commands().find(argv[1]);
    if (found == helper::commands().end()) {
        std::fprintf(stderr, "unknown command %s\n", argv[1]);
        return 2;
    }
    return found->second(std::vector<std::string>(argv + 2, argv + argc));
}
