// Crash safety: a writer process (a forked copy of this test) is killed with SIGKILL at random
// moments, hundreds of times. After every kill the document must parse, hold only values the writer
// wrote, and never go back to an older round than one seen before.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "app/settings/preferences_document.h"
#include "tests/support/xdg_sandbox.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {
namespace {

namespace fs = std::filesystem;

struct Child {
    pid_t pid = -1;
    int output = -1;
};

// The writer: loads the settings, says "ready" with one byte, then assigns settings in a
// tight loop until it is killed. Round n writes innerGap n, borderColor "#<n in hex>",
// workspaceNames ["n<n>"] and one app rule "app<n>", continuing from the stored innerGap.
[[noreturn]] void runWriter(const fs::path& folder, int ready) {
    FilePreferencesDomain domain("org.morvanta.Morvanta", folder, nullptr);
    AppSettingsPlatform platform;
    platform.appDisplayName = [](const std::string& id) { return id; };
    platform.loginItem.emplace(std::nullopt, "/nonexistent");
    platform.systemLog = [](const std::string&) {};
    AppSettings settings(domain, platform);
    auto round = static_cast<long>(settings.innerGap());
    if (::write(ready, "r", 1) != 1)
        ::_exit(3);
    for (;;) {
        ++round;
        char color[16];
        std::snprintf(color, sizeof color, "#%06lX", round & 0xFFFFFF);
        settings.setInnerGap(static_cast<double>(round));
        settings.setBorderColorHex(color);
        settings.setWorkspaceNames({"n" + std::to_string(round)});
        settings.setAppRules({{"app" + std::to_string(round), "App", 2, false, false}});
    }
}

// A forked copy of this process (no exec, so hundreds start within seconds).
Child startWriter(const fs::path& folder) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        runWriter(folder, fds[1]);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// Waits (with a deadline) for the writer's one-byte "ready".
bool waitReady(const Child& child) {
    pollfd entry{child.output, POLLIN, 0};
    char byte = 0;
    return ::poll(&entry, 1, 10'000) == 1 && ::read(child.output, &byte, 1) == 1 && byte == 'r';
}

std::string readAll(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// The round each key of the document holds, after checking it parses and that every value
// has the form the writer gives it. Keys that did not parse as rounds read as -1.
std::map<std::string, long> roundsIn(const std::string& text) {
    std::string error;
    auto values = PreferencesDocument::decode(text, &error);
    EXPECT_TRUE(values) << error << "\n" << text;
    std::map<std::string, long> rounds;
    if (!values)
        return rounds;
    for (const auto& [key, value] : *values) {
        long round = -1;
        if (key == "innerGap" && value.asInteger())
            round = static_cast<long>(*value.asInteger());
        else if (key == "borderColor" && value.asString() && value.asString()->size() == 7)
            round = std::stol(value.asString()->substr(1), nullptr, 16);
        else if (auto names = value.asStrings();
                 key == "workspaceNames" && names && names->size() == 1)
            round = std::stol(names->front().substr(1));
        else if (key == "appRules" && value.asData()) {
            auto rules = AppRule::decodeList(*value.asData());
            if (rules && rules->size() == 1)
                round = std::stol(rules->front().bundleID.substr(3));
        }
        EXPECT_GT(round, 0) << key << " in\n" << text;
        rounds[key] = round;
    }
    return rounds;
}

TEST(CrashSafety, KilledWritersNeverLeaveATornOrOlderDocument) {
    // SIGKILL cannot interrupt a process inside fsync, so on a disk every kill waits for a
    // flush; a memory file system keeps hundreds of kills within seconds. Atomicity against
    // a killed writer comes from the rename either way.
    std::error_code code;
    bool memory = fs::is_directory("/dev/shm", code) && ::access("/dev/shm", W_OK) == 0;
    testing::XdgSandbox sandbox(memory ? fs::path("/dev/shm") : fs::temp_directory_path());
    fs::path folder = sandbox.config() / "morvanta";
    fs::path file = folder / "org.morvanta.Morvanta.json";
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 5000);
    SCOPED_TRACE("seed " + std::to_string(seed));

    std::map<std::string, long> lastRounds;
    for (int kill = 0; kill < 220; ++kill) {
        Child child = startWriter(folder);
        ASSERT_GT(child.pid, 0);
        ASSERT_TRUE(waitReady(child)) << "writer did not start";
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random))); // the random kill moment
        ::kill(child.pid, SIGKILL);
        int status = 0;
        ::waitpid(child.pid, &status, 0);
        ::close(child.output);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended on its own at kill " << kill;

        if (!fs::exists(file))
            continue;
        // Round n writes innerGap first, so no key is ahead of it; and no key ever goes back.
        auto rounds = roundsIn(readAll(file));
        for (const auto& [key, round] : rounds) {
            EXPECT_LE(round, rounds["innerGap"]) << key;
            EXPECT_GE(round, lastRounds[key]) << key << ": a completed write was undone";
            lastRounds[key] = round;
        }
        ASSERT_FALSE(::testing::Test::HasFailure()) << "at kill " << kill;
    }
    EXPECT_GT(lastRounds["innerGap"], 0) << "the writer never completed a write";
    // Nothing was ever found damaged, and each new writer cleared its predecessors' leftovers.
    int corrupt = 0, temporaries = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        corrupt += name.find(".corrupt-") != std::string::npos;
        temporaries += name.find(".tmp-") != std::string::npos;
    }
    EXPECT_EQ(corrupt, 0);
    EXPECT_LE(temporaries, 1);
}

} // namespace
} // namespace morvanta
