#include "host/HostLog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostLogTest, WritesLevelAndMessageVerbatimToStandardError) {
    const std::string message = "100% of %s and %d{public} → “Tarnwick” ✓\\n";
    host::HostLog log;
    testing::internal::CaptureStderr();
    log.write(platform::LogLevel::defaultLevel, "app.tarnwick.Tarnwick", "app", message);
    log.write(platform::LogLevel::info, "app.tarnwick.Tarnwick", "app", "a\tb");
    log.write(platform::LogLevel::error, "app.tarnwick.Tarnwick", "app", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "default: " + message + "\ninfo: a\tb\nerror: \n");
}

}  // namespace
