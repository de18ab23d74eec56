// Preference-file scenarios for the host tests.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "host/PlistPreferenceDomains.h"
#include "host/PropertyList.h"

namespace {

// write-keys FOLDER DOMAIN PREFIX COUNT: sets PREFIX0 … PREFIX<COUNT-1> to
// their numbers, synchronising after each one as a separate write; a write
// that finds the lock taken for long is made again, as a person would press
// again.
helper::HelperCommand writeKeys("write-keys", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 4) return 2;
    host::PlistPreferenceDomains preferences(arguments[0]);
    for (int number = 0; number < std::stoi(arguments[3]); ++number) {
        bool written = false;
        for (int attempt = 0; attempt < 100 && !written; ++attempt) {
            preferences.setValue(arguments[1], arguments[2] + std::to_string(number), number);
            written = preferences.synchronize(arguments[1]);
        }
        if (!written) {
            std::fprintf(stderr, "synchronize failed at %d\n", number);
            return 1;
        }
    }
    return 0;
});

// toggle-forever FOLDER DOMAIN: flips "on" and stores it, over and over,
// printing "ready" after the first write; only a signal ends it.
helper::HelperCommand toggleForever("toggle-forever",
                                    [](const std::vector<std::string>& arguments) {
                                        if (arguments.size() != 2) return 2;
                                        host::PlistPreferenceDomains preferences(arguments[0]);
                                        for (bool on = true;; on = !on) {
                                            preferences.setValue(arguments[1], "on", on);
                                            if (!preferences.synchronize(arguments[1])) return 1;
                                            static bool told =
                                                (std::printf("ready\n"), std::fflush(stdout), true);
                                            (void)told;
                                        }
                                    });

// write-beyond-size-limit FOLDER DOMAIN KEY: with files limited to a few
// bytes (which binds root too), a write must fail and its value must be
// dropped, reads answering what the file holds; exits 0 when both hold.
helper::HelperCommand writeBeyondSizeLimit(
    "write-beyond-size-limit", [](const std::vector<std::string>& arguments) {
        rlimit limit{64, 64};
        std::signal(SIGXFSZ, SIG_IGN);
        if (arguments.size() != 3 || setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        host::PlistPreferenceDomains preferences(arguments[0]);
        auto before = preferences.copyValue(arguments[1], arguments[2]);
        preferences.setValue(arguments[1], arguments[2], std::string(1000, 'x'));
        bool failed = !preferences.synchronize(arguments[1]);
        bool dropped = preferences.copyValue(arguments[1], arguments[2]) == before;
        if (failed && dropped) return 0;
        std::fprintf(stderr, "synchronize %s, value %s\n", failed ? "failed" : "succeeded",
                     dropped ? "dropped" : "still answers reads");
        return 1;
    });

// hold-lock FILE: takes the flock writers of FILE take on FILE.lock, prints
// "ready" and keeps it until ended.
helper::HelperCommand holdLock("hold-lock", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return 2;
    int lock = open((arguments[0] + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
});

volatile std::sig_atomic_t ended = 0;

// rewrite-in-place FILE: as many programs save their settings, over and over
// until SIGTERM: reads the file, sets "rewrites" to a count, truncates the
// file and writes it again in two parts a moment apart, without any lock. A
// rewrite under way is finished before it ends, so the file is whole then.
helper::HelperCommand rewriteInPlace("rewrite-in-place", [](const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return 2;
    std::signal(SIGTERM, [](int) { ended = 1; });
    std::printf("ready\n");
    std::fflush(stdout);
    for (int count = 0; !ended; ++count) {
        auto stored = host::readPropertyListFile(arguments[0]);
        platform::PropertyDictionary values;
        if (stored && stored->dictionary()) values = *stored->dictionary();
        values.insert_or_assign("rewrites", count);
        std::string text = host::xmlPropertyList(platform::PropertyValue(values));
        int file = open(arguments[0].c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0600);
        if (file < 0) return 1;
        std::size_t half = text.size() / 2;
        bool written = write(file, text.data(), half) == ssize_t(half);
        usleep(2000);
        written = written && write(file, text.data() + half, text.size() - half) == ssize_t(text.size() - half);
        close(file);
        if (!written) return 1;
        usleep(20000);
    }
    return 0;
});

}  // namespace
