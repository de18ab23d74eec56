#include "host/ProcessToolRunner.h"

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>

#include "support/Process.h"

namespace {

using namespace platform::ToolOutcomes;
using platform::ToolOutcome;

class ProcessToolRunnerTest : public testing::Test {
protected:
    // A shell script as the tool; the runner itself never uses a shell.
    std::string tool(const std::string& body) {
        auto path = folder.path() + "/tool" + std::to_string(++count);
        support::writeFile(path, "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    pid_t pidOfTool() { return std::stoi(support::readFile(folder.path() + "/pid")); }
    std::string pidFile() { return folder.path() + "/pid"; }

    host::ProcessToolRunner runner;
    support::TemporaryDirectory folder;
    int count = 0;
};

TEST_F(ProcessToolRunnerTest, AnswersStandardOutputAndTheExitStatus) {
    auto path = tool("printf 'out %s|' \"$@\"; echo noise >&2; exit ${CODE:-0}");
    EXPECT_EQ(runner.run(path, {"list", "two words"}, 5), ToolOutcome(Exited{0, "out list|out two words|"}));
    EXPECT_EQ(runner.run(tool("printf partial; exit 3"), {}, 5), ToolOutcome(Exited{3, "partial"}));
    EXPECT_EQ(runner.run(tool("kill -9 $$"), {}, 5), ToolOutcome(Exited{137, ""}));
    // Arguments are never read by a shell.
    EXPECT_EQ(runner.run("/bin/echo", {"$HOME;", "`id`"}, 5), ToolOutcome(Exited{0, "$HOME; `id`\n"}));
}

TEST_F(ProcessToolRunnerTest, ToolsThatCannotStartFailToLaunch) {
    EXPECT_EQ(runner.run("/System/Library/CoreServices/pbs", {"-dump"}, 2), ToolOutcome(LaunchFailed{}));
    auto notExecutable = folder.path() + "/plain";
    support::writeFile(notExecutable, "echo hi\n");
    EXPECT_EQ(runner.run(notExecutable, {}, 2), ToolOutcome(LaunchFailed{}));
}

TEST_F(ProcessToolRunnerTest, AnOverrunningToolIsEndedWithinTheLimit) {
    for (auto body : {"echo $$ > " + pidFile() + "; printf early; exec sleep 30",
                      // Ignores SIGTERM: it gets SIGKILL.
                      "echo $$ > " + pidFile() + "; trap '' TERM; while :; do sleep 0.05; done",
                      // Closes its output but does not end.
                      "echo $$ > " + pidFile() + "; exec >&-; exec sleep 30"}) {
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(runner.run(tool(body), {}, 0.5), ToolOutcome(TimedOut{})) << body;
        auto took = std::chrono::steady_clock::now() - started;
        EXPECT_LT(took, std::chrono::seconds(3)) << body;
        EXPECT_EQ(kill(pidOfTool(), 0), -1) << "the tool is gone and reaped: " << body;
    }
}

TEST_F(ProcessToolRunnerTest, LargeOutputIsReadWhileTheToolWrites) {
    // More than a pipe holds, so a runner that waits before reading would hang.
    auto outcome = runner.run(tool("head -c 3000000 /dev/zero"), {}, 10);
    auto* exited = std::get_if<Exited>(&outcome);
    ASSERT_NE(exited, nullptr);
    EXPECT_EQ(exited->output.size(), 3000000u);
}

}  // namespace
