// The diagnostics log: line form, the 500-line window, the size rule at start, clear and the
// standard folder.
#include "app/diagnostics/diagnostics_log.h"
#include "tests/support/xdg_sandbox.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>

namespace morvanta {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> fileLines(const fs::path& file) {
    std::ifstream stream(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST(DiagnosticsLog, LivesInTheStateFolderAndWritesTimestampedLines) {
    testing::XdgSandbox sandbox;
    DiagnosticsLog log;
    ASSERT_TRUE(log.fileURL());
    EXPECT_EQ(*log.fileURL(), sandbox.state() / "morvanta" / "Morvanta.log");
    EXPECT_TRUE(fs::is_directory(sandbox.state() / "morvanta"));

    log.append("Launched");
    log.append("⚠️ Permission missing");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_TRUE(std::regex_match(log.lines()[0], std::regex(R"(\[\d\d:\d\d:\d\d\] Launched)")));
    EXPECT_EQ(fileLines(*log.fileURL()), log.lines());

    // A log file deleted while Morvanta runs is begun anew with the next line.
    fs::remove(*log.fileURL());
    log.append("After the file went");
    EXPECT_EQ(fileLines(*log.fileURL()), std::vector<std::string>{log.lines().back()});
}

TEST(DiagnosticsLog, FallsBackToHomeWhenTheStateVariableIsUnsetOrRelative) {
    testing::XdgSandbox sandbox;
    sandbox.set("HOME", sandbox.root().string());
    sandbox.set("XDG_STATE_HOME", std::nullopt);
    EXPECT_EQ(DiagnosticsLog::stateFolder(), sandbox.root() / ".local" / "state" / "morvanta");
    sandbox.set("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(DiagnosticsLog::stateFolder(), sandbox.root() / ".local" / "state" / "morvanta");
}

TEST(DiagnosticsLog, KeepsTheNewest500LinesButTheFileKeepsAllAndClearLeavesTheFile) {
    testing::XdgSandbox sandbox;
    DiagnosticsLog log;
    int changes = 0;
    auto subscription = log.addObserver([&] { ++changes; });
    for (int i = 1; i <= 501; ++i)
        log.append("line " + std::to_string(i));
    ASSERT_EQ(log.lines().size(), 500u);
    EXPECT_TRUE(log.lines().front().ends_with("] line 2"));
    EXPECT_TRUE(log.lines().back().ends_with("] line 501"));
    EXPECT_EQ(changes, 501);

    log.clear();
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(changes, 502);
    EXPECT_EQ(fileLines(*log.fileURL()).size(), 501u);

    subscription.cancel();
    log.append("after");
    EXPECT_EQ(changes, 502);
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(DiagnosticsLog, AFileOverAMillionBytesIsStartedAfreshAtCreation) {
    testing::XdgSandbox sandbox;
    fs::path folder = sandbox.state() / "morvanta";
    fs::create_directories(folder);
    fs::path file = folder / "Morvanta.log";

    std::ofstream(file) << std::string(1'000'000, 'x');
    { DiagnosticsLog keeps; }
    EXPECT_EQ(fs::file_size(file), 1'000'000u);

    std::ofstream(file) << std::string(1'000'001, 'x');
    DiagnosticsLog log;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(log.lines().empty());
    log.append("fresh");
    EXPECT_EQ(fileLines(file), log.lines());
}

TEST(DiagnosticsLog, FileErrorsLeaveTheMemoryLogWorking) {
    testing::XdgSandbox sandbox;
    // The state "folder" is a file, so neither the folder nor the log can be made.
    fs::create_directories(sandbox.state());
    std::ofstream(sandbox.state() / "morvanta") << "not a folder";
    DiagnosticsLog log;
    log.append("still here");
    EXPECT_EQ(log.lines().size(), 1u);

    DiagnosticsLog memoryOnly(std::nullopt);
    EXPECT_FALSE(memoryOnly.fileURL());
    memoryOnly.append("kept");
    EXPECT_EQ(memoryOnly.lines().size(), 1u);
}

} // namespace
} // namespace morvanta
