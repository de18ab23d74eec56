// Preference-file scenarios for the host tests.

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
helper::HelperCommand writeKeys("write-keys", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 4) return 2;
    host::PlistPreferenceDomains preferences(arguments[0]);
    for (int number = 0; number < std::stoi(arguments[3]); ++number) {
        preferences.setValue(arguments[1], arguments[2] + std::to_string(number), number);
        if (!preferences.synchronize(arguments[1])) {
            std::fprintf(stderr, "synchronize failed at %d\n", number);
            return 1;
        }
    }
    return 0;
});

// write-beyond-size-limit FOLDER DOMAIN KEY: with files limited to a few
// bytes (which binds root too), a write must fail and leave its value
// pending; exits 0 when it does.
helper::HelperCommand writeBeyondSizeLimit(
    "write-beyond-size-limit", [](const std::vector<std::string>& arguments) {
        rlimit limit{64, 64};
        std::signal(SIGXFSZ, SIG_IGN);
        if (arguments.size() != 3 || setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        host::PlistPreferenceDomains preferences(arguments[0]);
        platform::PropertyValue value(std::string(1000, 'x'));
        preferences.setValue(arguments[1], arguments[2], value);
        bool failed = !preferences.synchronize(arguments[1]);
        bool kept = preferences.copyValue(arguments[1], arguments[2]) == value;
        if (failed && kept) return 0;
        std::fprintf(stderr, "synchronize %s, pending value %s\n", failed ? "failed" : "succeeded",
                     kept ? "kept" : "lost");
        return 1;
    });

}  // namespace
