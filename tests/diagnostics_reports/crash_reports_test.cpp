// Crash reports: real processes die of fatal signals and the next start delivers what they
// left; damaged pending files are kept aside with a warning; deliveries never overwrite.
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "tests/diagnostics_reports/report_test_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {
namespace {

using nlohmann::json;
using testing::ReportTestFolder;

std::string receivedLine(const ReportTestFolder& folder, int crashes, int hangs) {
    return "Received crash reports from Linux: " + std::to_string(crashes) + " crash(es), " +
           std::to_string(hangs) + " hang(s). Saved in " + folder.diagnostics().string() + ".";
}

// The log's lines without their "[HH:MM:SS] " prefix.
std::vector<std::string> messages(const DiagnosticsLog& log) {
    std::vector<std::string> out;
    for (const std::string& line : log.lines())
        out.push_back(line.substr(line.find("] ") + 2));
    return out;
}

TEST(CrashReportsTest, ChildrenKilledByFatalSignalsAreDeliveredAtTheNextStart) {
    ReportTestFolder folder;
    struct Case {
        const char* mode;
        int signal;
    };
    const Case cases[] = {{"segv", SIGSEGV}, {"abort", SIGABRT}, {"overflow", SIGSEGV}};
    // Each child's own start would deliver the record the one before left; hold them back so
    // one start meets all three.
    auto held = folder.state() / "held";
    std::filesystem::create_directories(held);
    for (const Case& c : cases) {
        int status = testing::runChild(folder, c.mode);
        // The handler hands the signal back: the process still dies of it.
        ASSERT_TRUE(WIFSIGNALED(status)) << c.mode << " status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal) << c.mode;
        auto records = ReportTestFolder::names(folder.pending());
        ASSERT_EQ(records.size(), 1u) << c.mode;
        EXPECT_TRUE(records[0].starts_with("crash-") && records[0].ends_with(".report"));
        std::filesystem::rename(folder.pending() / records[0], held / records[0]);
    }
    for (const std::string& name : ReportTestFolder::names(held))
        std::filesystem::rename(held / name, folder.pending() / name);

    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start();
    reports.stop();

    EXPECT_EQ(messages(log), std::vector<std::string>{receivedLine(folder, 3, 0)});
    EXPECT_TRUE(ReportTestFolder::names(folder.pending()).empty());
    // Reports from the same second get distinct names; none replaces another.
    auto saved = ReportTestFolder::names(folder.diagnostics(), "diagnostic-");
    ASSERT_EQ(saved.size(), 3u);
    std::multiset<int> signals;
    for (const std::string& name : saved) {
        json report = json::parse(ReportTestFolder::read(folder.diagnostics() / name));
        EXPECT_EQ(report["kind"], "crash");
        EXPECT_TRUE(name.starts_with("diagnostic-" + std::to_string(report["time"].get<long>())))
            << name;
        EXPECT_FALSE(report["backtrace"].empty());
        EXPECT_EQ(report["thread"], "main");
        EXPECT_EQ(report["signalName"], DiagnosticPayload::signalName(report["signal"]));
        signals.insert(report["signal"].get<int>());
    }
    EXPECT_EQ(signals, (std::multiset<int>{SIGSEGV, SIGSEGV, SIGABRT}));

    // Delivered once: a later start finds nothing and says nothing.
    DiagnosticsLog later(std::nullopt);
    CrashReports again;
    again.setLog(&later);
    again.start();
    EXPECT_TRUE(later.lines().empty());
}

TEST(CrashReportsTest, DamagedPendingFilesAreKeptAsideWithAWarning) {
    ReportTestFolder folder;
    // The id of a child that has exited: certainly not running.
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    std::string id = std::to_string(gone);
    const std::map<std::string, std::string> damaged = {
        {"crash-" + id + ".report", "kind crash\nsignal eleven\n"},
        {"crash-" + id + ".partial", "kind crash\nsignal 11\ncode 1\n"},
        {"hang-" + id + "-4.json", "{\"kind\": \"hang\", \"hangDur"},
        {"hang-" + id + "-5.json", ""},
        {"notes.txt", "something else"}};
    for (const auto& [name, text] : damaged)
        ReportTestFolder::write(folder.pending() / name, text);
    ReportTestFolder::write(folder.pending() / ("hang-" + id + "-6.json"),
                            R"({"kind": "hang", "time": 1700000000, "hangDuration": 4.5})");

    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start();
    reports.stop();

    auto said = messages(log);
    ASSERT_EQ(said.size(), damaged.size() + 1);
    for (const auto& [name, text] : damaged) {
        auto kept = folder.diagnostics() / ("unreadable-" + name);
        EXPECT_EQ(ReportTestFolder::read(kept), text) << name;
        EXPECT_NE(std::find(said.begin(), said.end(),
                            "⚠️ Could not read the pending diagnostic report “" + name +
                                "”; kept it as " + kept.string() + "."),
                  said.end())
            << name;
    }
    EXPECT_EQ(said.back(), receivedLine(folder, 0, 1));
    EXPECT_EQ(ReportTestFolder::names(folder.diagnostics(), "diagnostic-"),
              std::vector<std::string>{"diagnostic-1700000000.json"});
    EXPECT_TRUE(ReportTestFolder::names(folder.pending()).empty());
}

TEST(CrashReportsTest, ReportsOfARunningProcessStayPending) {
    ReportTestFolder folder;
    // The parent of this test (ctest or a shell) is running.
    std::string name = "hang-" + std::to_string(getppid()) + "-1.json";
    ReportTestFolder::write(folder.pending() / name, R"({"kind": "hang", "time": 1700000000})");
    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    reports.start();
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(ReportTestFolder::names(folder.pending()), std::vector<std::string>{name});
}

TEST(CrashReportsTest, OneDeliveryCountsAllItsPayloadsAndKeepsEveryFile) {
    ReportTestFolder folder;
    DiagnosticsLog log(std::nullopt);
    CrashReports reports;
    reports.setLog(&log);
    DiagnosticPayload crash{{{"kind", "crash"}}, 1700000000, 1, 0};
    DiagnosticPayload hangs{{{"kind", "hang"}}, 1700000000, 0, 2};
    auto saved = reports.didReceive({crash, hangs});
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].filename(), "diagnostic-1700000000.json");
    EXPECT_EQ(saved[1].filename(), "diagnostic-1700000000-2.json");
    EXPECT_EQ(json::parse(ReportTestFolder::read(saved[1]))["kind"], "hang");

    reports.didReceive({});
    EXPECT_EQ(messages(log),
              (std::vector<std::string>{receivedLine(folder, 1, 2), receivedLine(folder, 0, 0)}));
}

TEST(CrashReportsTest, WithoutAStateFolderNothingIsCollectedOrSaved) {
    DiagnosticsLog log(std::nullopt);
    CrashReports reports(std::nullopt);
    reports.setLog(&log);
    reports.start();
    reports.turnStarted();
    reports.turnEnded();
    EXPECT_FALSE(reports.folder());
    auto saved = reports.didReceive({DiagnosticPayload{{{"kind", "crash"}}, 1, 1, 0}});
    EXPECT_TRUE(saved.front().empty());
    EXPECT_EQ(messages(log),
              std::vector<std::string>{
                  "Received crash reports from Linux: 1 crash(es), 0 hang(s). Saved in ?."});
}

} // namespace
} // namespace morvanta
