// The real `morvanta` program end to end on a private Xvfb under Openbox, with real programs
// (xterm, xclock, xeyes), driven from outside: a second launch, the self-test's own settings
// and the command line. Tiling, hiding and every way of ending beside each window manager are
// the window-manager matrix's (tests/e2e_wm). Each test has
// its own XDG folders, with the welcome guide marked completed so it covers no window.
#include "tests/e2e_app/app_fixture.h"

#include <csignal>

namespace morvanta::testing {
namespace {

TEST_F(AppE2E, ASecondLaunchOpensTheRunningMorvantasWindowAndExits) {
    const auto morvanta = start();
    // Openbox on Xvfb has no system tray: said once, and Morvanta runs on.
    EXPECT_TRUE(waitFor([&] { return countLogged("No system tray is available") == 1; }));
    for (int launch = 0; launch < 2; ++launch) {
        const auto [status, output] = runToEnd({});
        EXPECT_EQ(status, 0) << output;
        EXPECT_TRUE(waitFor([&] { return morvantaWindows("Morvanta Settings") == 1; }, 10s));
    }
    EXPECT_EQ(countLogged("Morvanta was opened again."), 2);
    EXPECT_EQ(countLogged("launched."), 1);
    EXPECT_FALSE(morvanta->waitExit(0ms)); // the first one runs on
    // Only its user may talk to it.
    // Found by name: the runtime folder may hold others' files too (a bus started on demand
    // keeps a dbus-1 folder there).
    std::vector<std::filesystem::path> sockets;
    for (const auto& entry : std::filesystem::directory_iterator(sandbox.root() / "runtime"))
        if (entry.path().filename().string().starts_with("morvanta-"))
            sockets.push_back(entry.path());
    ASSERT_EQ(sockets.size(), 1u);
    struct stat info {};
    ASSERT_EQ(stat(sockets.front().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0077, 0u);

    // Killed, it leaves its socket behind; the next launch takes it over and runs.
    morvanta->signal(SIGKILL);
    morvanta->waitExit();
    const auto next = start();
    EXPECT_FALSE(next->waitExit(200ms));
}

TEST_F(AppE2E, SelfTestRunsWithItsOwnSettingsAndQuits) {
    openBefore();
    // The user's settings are damaged: the self-test must not even read them (reading a
    // damaged file moves it aside).
    const auto folder = sandbox.config() / "morvanta";
    const auto userSettings = folder / "org.morvanta.Morvanta.json";
    std::ofstream(userSettings) << "{\"innerGap\": ";
    const auto before = std::filesystem::last_write_time(userSettings);
    const auto [status, output] = runToEnd({"--self-test"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("0 failed"), std::string::npos) << output;
    EXPECT_EQ(std::filesystem::last_write_time(userSettings), before);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().string().find(".corrupt"), std::string::npos) << entry.path();
    EXPECT_TRUE(std::filesystem::exists(sandbox.config() / "morvanta" /
                                        "org.morvanta.Morvanta.selftest.json"));
    // The real programs are where the self-test found them, none left hidden.
    EXPECT_TRUE(waitFor([&] {
        return std::ranges::none_of(windows(), [&](const AXWindow& w) { return hidden(w); });
    }));
}

TEST_F(AppE2E, CommandLineOptions) {
    const auto [version, printed] = runToEnd({"--version"});
    EXPECT_EQ(version, 0);
    EXPECT_EQ(printed, "morvanta 0.1.0\n");
    const auto [help, usage] = runToEnd({"--help"});
    EXPECT_EQ(help, 0);
    EXPECT_NE(usage.find("--rescue"), std::string::npos);
    const auto [wrong, message] = runToEnd({"--tile-everything"});
    EXPECT_EQ(wrong, 2);
    EXPECT_NE(message.find("unknown option '--tile-everything'"), std::string::npos);
    // Qt's standard options are Qt's, also beside the options that end before Qt starts.
    const auto [styled, styledVersion] = runToEnd({"-style", "Fusion", "--version"});
    EXPECT_EQ(styled, 0);
    EXPECT_EQ(styledVersion, "morvanta 0.1.0\n");
    EXPECT_EQ(runToEnd({"--help", "-platform", "xcb"}).first, 0);
    // "-display" names the display, here where $DISPLAY names none.
    const auto [rescued, summary] = MorvantaProcess::run(
        ":99999", {"--rescue", "-display", desktop.server().display()}, sandbox.root() / "rescue");
    EXPECT_EQ(rescued, 0) << summary;
    EXPECT_EQ(logText(), ""); // none of these started Morvanta
}

TEST_F(AppE2E, StartsWithQtsStandardOptionsAndQuitsTheOrdinaryWay) {
    openBefore();
    const auto morvanta = launch({"-platform", "xcb", "-style", "Fusion"});
    EXPECT_TRUE(waitFor([&] { return logged("Tiling started."); }, 15s)) << morvanta->output();
    EXPECT_TRUE(waitTiled(windows()));
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(), 0) << morvanta->output();
}

} // namespace
} // namespace morvanta::testing
