#pragma once

// Starting the built program with its own home folder, as end-to-end tests do.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "support/Process.h"

namespace e2e {

// Starts Tarnwick with settings under `home` and waits for its launch line.
inline std::unique_ptr<support::ChildProcess> launch(const std::string& home,
                                                     std::map<std::string, std::string> environment = {}) {
    environment["XDG_CONFIG_HOME"] = home + "/config";
    environment["HOME"] = home;
    auto tarnwick = std::make_unique<support::ChildProcess>(std::vector<std::string>{TARNWICK_EXECUTABLE}, environment);
    EXPECT_TRUE(tarnwick->waitForStderr("Tarnwick launched")) << tarnwick->stderrText();
    return tarnwick;
}

}  // namespace e2e
