// Hang reports: a main thread that does not finish its turn within the limit is reported with
// its own backtrace, delivered when it turns again, and still reported when it never does.
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "tests/diagnostics_reports/report_test_folder.h"
#include "tests/support/xvfb_server.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {
namespace {

using nlohmann::json;
using testing::ReportTestFolder;
using namespace std::chrono_literals;

// Context switches of every thread of this process but the main one (the watchdog's).
long long otherThreadsSwitches() {
    long long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == std::to_string(getpid()))
            continue;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.find("ctxt_switches:") != std::string::npos)
                total += std::stoll(line.substr(line.find(':') + 1));
    }
    return total;
}

bool hasPendingHang(const ReportTestFolder& folder) {
    auto names = ReportTestFolder::names(folder.pending(), "hang-");
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& name) { return name.ends_with(".json"); });
}

TEST(HangReportsTest, AStalledTurnIsReportedWhenTheMainThreadTurnsAgain) {
    ReportTestFolder folder;
    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start(100ms);

    reports.turnStarted();
    ASSERT_TRUE(testing::waitFor([&] { return hasPendingHang(folder); }, 10s));
    // Written while still stalled, for a process that might never turn again.
    auto pendingName = ReportTestFolder::names(folder.pending(), "hang-").front();
    json pending = json::parse(ReportTestFolder::read(folder.pending() / pendingName));
    EXPECT_EQ(pending["ended"], false);
    EXPECT_TRUE(log.lines().empty());

    reports.turnEnded();
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.lines()[0].ends_with("Received crash reports from Linux: 0 crash(es), 1 "
                                         "hang(s). Saved in " +
                                         folder.diagnostics().string() + "."));
    EXPECT_TRUE(ReportTestFolder::names(folder.pending()).empty());
    auto saved = ReportTestFolder::names(folder.diagnostics(), "diagnostic-");
    ASSERT_EQ(saved.size(), 1u);
    json report = json::parse(ReportTestFolder::read(folder.diagnostics() / saved[0]));
    EXPECT_EQ(report["kind"], "hang");
    EXPECT_EQ(report["ended"], true);
    EXPECT_GE(report["hangDuration"].get<double>(), 0.1);
    EXPECT_EQ(saved[0], "diagnostic-" + std::to_string(report["time"].get<long>()) + ".json");
    // The backtrace is the main thread's, taken while it waited in this test.
    std::string frames = report["backtrace"].dump();
    EXPECT_NE(frames.find("waitFor"), std::string::npos) << frames;

    // The next turns are ordinary again.
    reports.turnStarted();
    reports.turnEnded();
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(HangReportsTest, QuickTurnsAndIdleTimeAreNotHangs) {
    ReportTestFolder folder;
    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start(300ms);
    // The watchdog thread has gone to sleep once it has switched out once.
    ASSERT_TRUE(testing::waitFor([] { return otherThreadsSwitches() > 0; }, 2s));
    const auto before = otherThreadsSwitches();
    for (int i = 0; i < 1000; ++i) {
        reports.turnStarted();
        reports.turnEnded();
    }
    // Idle (between turns) for several limits: nothing to report, and the watchdog never woke,
    // neither for the turns nor afterwards.
    EXPECT_FALSE(testing::waitFor([&] { return hasPendingHang(folder); }, 1200ms));
    EXPECT_EQ(otherThreadsSwitches(), before);
    reports.turnStarted();
    reports.turnEnded();
    EXPECT_TRUE(log.lines().empty());
}

TEST(HangReportsTest, AProcessKilledWhileStalledLeavesItsHangForTheNextStart) {
    ReportTestFolder folder;
    int child = testing::spawnChild(folder, "stall");
    ASSERT_GT(child, 0);
    bool reported = testing::waitFor([&] { return hasPendingHang(folder); }, 10s);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(reported);

    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start();
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("0 crash(es), 1 hang(s)"), std::string::npos);
    auto saved = ReportTestFolder::names(folder.diagnostics(), "diagnostic-");
    ASSERT_EQ(saved.size(), 1u);
    json report = json::parse(ReportTestFolder::read(folder.diagnostics() / saved[0]));
    EXPECT_EQ(report["kind"], "hang");
    EXPECT_EQ(report["ended"], false);
    EXPECT_EQ(report["pid"], child);
    EXPECT_FALSE(report["backtrace"].empty());
}

} // namespace
} // namespace morvanta
