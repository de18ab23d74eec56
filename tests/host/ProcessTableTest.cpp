// The process table against this machine's /proc, and against a made-up one
// for the texts a real kernel rarely shows.

#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "host/ProcessTable.h"
#include "support/Process.h"

namespace {

namespace fs = std::filesystem;
using host::ProcessTable;

constexpr double referenceDateOffset = 978307200;

double now() {
    return static_cast<double>(g_get_real_time()) / G_USEC_PER_SEC - referenceDateOffset;
}

std::optional<host::ProcessEntry> findIn(const std::vector<host::ProcessEntry>& entries, int pid) {
    for (const auto& entry : entries) {
        if (entry.processIdentifier == pid) return entry;
    }
    return std::nullopt;
}

bool waitUntil(const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (done()) return true;
        g_usleep(10 * 1000);
    }
    return false;
}

TEST(ProcessTableTest, ParsesTheFieldsItNeedsAndRefusesTheRest) {
    // A command name may hold spaces and parentheses.
    std::string fields = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 4242 19 20\n";
    EXPECT_EQ(host::parseProcessStat("77 (a) (b c) d)" + fields), (host::ProcessStat{'S', 4242}));
    EXPECT_EQ(host::parseProcessStat("77 (zz) Z 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 99"),
              (host::ProcessStat{'Z', 99}));
    EXPECT_FALSE(host::parseProcessStat("77 (short) S 1 2 3"));
    EXPECT_FALSE(host::parseProcessStat(
        "77 no parenthesis S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 1"));
    EXPECT_FALSE(
        host::parseProcessStat("77 (x) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -5"));
    EXPECT_FALSE(
        host::parseProcessStat("77 (x) SS 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 5"));
    EXPECT_FALSE(host::parseProcessStat(""));

    EXPECT_EQ(host::parseBootTime("cpu 1 2 3\nbtime 1700000000\nprocesses 5\n"), 1700000000);
    EXPECT_FALSE(host::parseBootTime("cpu 1 2 3\nbtime soon\n"));
    EXPECT_FALSE(host::parseBootTime("cpu 1 2 3\n"));

    EXPECT_EQ(host::parseRealUid("Name:\tx\nUid:\t1000\t1001\t1001\t1001\n"), 1000u);
    EXPECT_FALSE(host::parseRealUid("Name:\tx\nUid:\tnobody\n"));
    EXPECT_FALSE(host::parseRealUid("Name:\tx\n"));
}

TEST(ProcessTableTest, ListsOnlyTheUsersReadableProcessesOfAProcFolder) {
    support::TemporaryDirectory proc;
    auto add = [&](const std::string& name, const std::string& stat, uid_t uid) {
        fs::create_directories(proc.path() + "/" + name);
        support::writeFile(proc.path() + "/" + name + "/stat", stat);
        support::writeFile(proc.path() + "/" + name + "/status",
                           "Name:\tx\nUid:\t" + std::to_string(uid) + "\t0\t0\t0\n");
    };
    std::string tail = " 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ";
    long hz = sysconf(_SC_CLK_TCK);
    support::writeFile(proc.path() + "/stat", "cpu 0\nbtime 1000000000\n");
    add("10", "10 (mine) S" + tail + std::to_string(5 * hz), getuid());
    add("11", "11 (theirs) S" + tail + "5", getuid() + 1);
    add("12", "12 (broken) S 1 2", getuid());
    add("self", "13 (alias) S" + tail + "5", getuid());
    add("014", "14 (padded) S" + tail + "5", getuid());

    auto entries = ProcessTable(proc.path()).userProcesses();

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].processIdentifier, 10);
    EXPECT_EQ(entries[0].state, 'S');
    EXPECT_FALSE(entries[0].executablePath);
    ASSERT_TRUE(entries[0].launchDate);
    EXPECT_DOUBLE_EQ(entries[0].launchDate->secondsSinceReferenceDate,
                     1000000005 - referenceDateOffset);
}

TEST(ProcessTableTest, FindsThisProcessAndAChildUntilItIsCollected) {
    ProcessTable table;
    auto self = findIn(table.userProcesses(), getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->executablePath, fs::read_symlink("/proc/self/exe").string());
    ASSERT_TRUE(self->launchDate);
    EXPECT_LE(self->launchDate->secondsSinceReferenceDate, now() + 1);
    EXPECT_FALSE(table.isTerminated(getpid()));

    support::ChildProcess child({HOST_TEST_HELPER, "workspace-idle"});
    ASSERT_TRUE(child.waitForStdout("ready"));
    auto entry = findIn(table.userProcesses(), child.pid());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->executablePath, fs::canonical(HOST_TEST_HELPER).string());
    ASSERT_TRUE(entry->launchDate);
    EXPECT_NEAR(entry->launchDate->secondsSinceReferenceDate, now(), 5);
    EXPECT_FALSE(table.isTerminated(child.pid()));

    // Killed but not yet collected: a zombie, which has ended all the same.
    child.signal(SIGKILL);
    EXPECT_TRUE(waitUntil([&] {
        auto zombie = table.process(child.pid());
        return zombie && zombie->state == 'Z';
    }));
    EXPECT_TRUE(table.isTerminated(child.pid()));

    child.wait();
    EXPECT_FALSE(table.process(child.pid()));
    EXPECT_TRUE(table.isTerminated(child.pid()));
}

}  // namespace
