#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/PlistPreferenceDomains.h"

namespace {

// write-keys FOLDER DOMAIN PREFIX COUNT: sets PREFIX0 … PREFIX<COUNT-1> to
// their numbers, synchronising after each one as a separate write.
int writeKeys(const std::vector<std::string>& arguments) {
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: write-keys FOLDER DOMAIN PREFIX COUNT\n");
        return 2;
    }
    const auto& domain = arguments[1];
    host::PlistPreferenceDomains preferences(arguments[0]);
    int count = std::stoi(arguments[3]);
    for (int number = 0; number < count; ++number) {
        preferences.setValue(domain, arguments[2] + std::to_string(number), std::int64_t{number});
        if (!preferences.synchronize(domain)) {
            std::fprintf(stderr, "synchronize failed at %d\n", number);
            return 1;
        }
    }
    return 0;
}

// write-beyond-size-limit FOLDER DOMAIN KEY: with files limited to a few
// bytes (which binds root too), a write must fail and leave its value
// pending; exits 0 when it does.
int writeBeyondSizeLimit(const std::vector<std::string>& arguments) {
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: write-beyond-size-limit FOLDER DOMAIN KEY\n");
        return 2;
    }
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, 64};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    host::PlistPreferenceDomains preferences(arguments[0]);
    platform::PropertyValue value(std::string(1000, 'x'));
    preferences.setValue(arguments[1], arguments[2], value);
    if (preferences.synchronize(arguments[1])) {
        std::fprintf(stderr, "synchronize succeeded\n");
        return 1;
    }
    if (preferences.copyValue(arguments[1], arguments[2]) != value) {
        std::fprintf(stderr, "pending value lost\n");
        return 1;
    }
    return 0;
}

helper::HelperCommand writeKeysCommand("write-keys", writeKeys);
helper::HelperCommand writeBeyondSizeLimitCommand("write-beyond-size-limit", writeBeyondSizeLimit);

}  // namespace
