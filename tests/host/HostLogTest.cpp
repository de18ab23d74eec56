#include <gtest/gtest.h>

#include <string>

#include "support/Process.h"

namespace {

std::string logged(const std::string& level, const std::string& message) {
    support::ChildProcess child({HOST_TEST_HELPER, "log", level, message});
    EXPECT_EQ(child.wait(), 0);
    return child.stderrText();
}

TEST(HostLogTest, WritesLevelAndMessageVerbatimToStandardError) {
    const std::string message = "100% of %s and %d{public} → “Tarnwick” ✓\\n";
    EXPECT_EQ(logged("default", message), "default: " + message + "\n");
    EXPECT_EQ(logged("info", "a\tb"), "info: a\tb\n");
    EXPECT_EQ(logged("error", ""), "error: \n");
}

}  // namespace
