// Process groups the KWin session starts: ending one ends everything in it, also what ignores
// SIGTERM and what the leader started; a program's own exit status is kept; a program that
// cannot start says so in its log.
#include "tests/support/process_group.h"
#include "tests/support/xvfb_server.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

extern char** environ;

namespace morvanta::testing {
namespace {

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry)
        result.emplace_back(*entry);
    return result;
}

TEST(ProcessGroupTest, EndingEndsTheWholeGroupEvenWhatIgnoresTerm) {
    // The leader ignores SIGTERM and leaves a child in its group that ignores it too.
    ProcessGroup group({"sh", "-c", "trap '' TERM; sleep 100 & sleep 100"}, currentEnvironment());
    ASSERT_TRUE(group.ok());
    const pid_t id = group.pid();
    EXPECT_TRUE(waitFor([&] { return group.running(); }));
    const auto started = std::chrono::steady_clock::now();
    group.end(std::chrono::milliseconds(200));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_FALSE(ProcessGroup::anyAlive(id));
}

TEST(ProcessGroupTest, KeepsTheExitStatusAndExplainsAMissingProgram) {
    ProcessGroup exits({"sh", "-c", "exit 3"}, currentEnvironment());
    EXPECT_TRUE(waitFor([&] { return !exits.running(); }));
    EXPECT_EQ(exits.exitStatus(), 3);

    const auto log = std::filesystem::temp_directory_path() /
                     ("morvanta-process-group-" + std::to_string(getpid()) + ".log");
    {
        ProcessGroup missing({"morvanta-no-such-program"}, currentEnvironment(), log.string());
        EXPECT_TRUE(waitFor([&] { return !missing.running(); }));
        EXPECT_EQ(missing.exitStatus(), 127);
    }
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    std::filesystem::remove(log);
    EXPECT_NE(text.str().find("cannot start morvanta-no-such-program"), std::string::npos);
}

} // namespace
} // namespace morvanta::testing
