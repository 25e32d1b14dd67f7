// The real `morvanta` program end to end on a private Xvfb under Openbox, with real programs
// (xterm, xclock, xeyes, xlogo), driven from outside: key presses
// typed through XTEST (xdotool), signals, SIGKILL, `--rescue` and a second launch. Each test has
// its own XDG folders, with the welcome guide marked completed so it covers no window.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "ax/screen_geometry.h"
#include "tests/e2e_app/morvanta_process.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/x11/x11_desktop.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

class AppE2E : public ::testing::Test {
protected:
    void SetUp() override {
        const auto runtime = sandbox.root() / "runtime";
        mkdir(runtime.c_str(), 0700);
        sandbox.set("XDG_RUNTIME_DIR", runtime.string());
        {
            FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                         nullptr);
            AppSettings settings(domain);
            settings.setOnboardingCompleted(true);
        }
        ASSERT_TRUE(desktop.ok()) << desktop.error();
    }

    void openBefore() {
        for (const auto& program : std::vector<std::vector<std::string>>{
                 {"xterm", "-title", "one", "-geometry", "80x24+100+400"},
                 {"xterm", "-title", "two", "-geometry", "60x20+50+50"},
                 {"xclock", "-geometry", "200x200+700+400"},
                 {"xeyes", "-geometry", "150x100+500+100"}})
            ASSERT_GT(desktop.server().spawn(program), 0);
        ASSERT_TRUE(waitFor([&] { return windows().size() == 4; }, 30s)) << described();
    }
    std::string described() {
        std::string text;
        for (const auto& w : desktop.system().windowList().all())
            text += w.description() + "\n";
        return text;
    }

    std::unique_ptr<MorvantaProcess> launch(const std::vector<std::string>& arguments = {}) {
        auto process = std::make_unique<MorvantaProcess>(
            desktop.server().display(), arguments,
            sandbox.root() / ("output-" + std::to_string(++launches) + ".txt"));
        EXPECT_TRUE(process->ok());
        return process;
    }
    std::pair<int, std::string> runToEnd(const std::vector<std::string>& arguments) {
        return MorvantaProcess::run(desktop.server().display(), arguments,
                                    sandbox.root() /
                                        ("output-" + std::to_string(++launches) + ".txt"));
    }
    // Starts Morvanta and waits until it has started tiling.
    std::unique_ptr<MorvantaProcess> start() {
        const int before = countLogged("Tiling started.");
        auto process = launch();
        EXPECT_TRUE(waitFor([&] { return countLogged("Tiling started.") > before; }, 15s))
            << process->output();
        return process;
    }

    std::string logText() {
        std::ifstream in(sandbox.state() / "morvanta" / "Morvanta.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool logged(const std::string& text) { return logText().find(text) != std::string::npos; }
    int countLogged(const std::string& text) {
        const std::string log = logText();
        int count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    void keys(const std::string& combination) {
        ASSERT_EQ(desktop.server().run({"xdotool", "key", combination}), 0);
    }

    // Presses a combination until `done` holds: right after a start Morvanta may still be
    // taking its key grabs. Only for keys that are harmless to repeat.
    bool pressUntil(const std::string& combination, const std::function<bool()>& done) {
        return waitFor(
            [&] {
                keys(combination);
                return waitFor(done, 1s);
            },
            15s, 10ms);
    }

    // Every ordinary window but Morvanta's own (whose titles name it).
    std::vector<AXWindow> windows() {
        // A request to the window manager first: an Openbox that has just started can sit on an
        // event it already read until another one arrives.
        desktop.system().connection().syncWithWindowManager();
        auto all = desktop.system().windowList().all();
        std::erase_if(all, [](const AXWindow& w) {
            const auto title = w.description();
            return title.find("“Morvanta ") != std::string::npos ||
                   title.find("“Welcome to Morvanta") != std::string::npos;
        });
        return all;
    }
    int morvantaWindows(const std::string& title) {
        const auto all = desktop.system().windowList().all();
        return static_cast<int>(std::ranges::count_if(all, [&](const AXWindow& w) {
            return w.description().find(title) != std::string::npos;
        }));
    }
    Rect visibleFrame() { return desktop.visibleFrame(); }
    bool hidden(const AXWindow& w) { return desktop.isHidden(w); }
    bool shown(const AXWindow& w) { return !hidden(w) && w.frame(); }

    // Every listed window shows and fills one slot of the default layout (main + stack).
    bool tiled(const std::vector<AXWindow>& tiles) {
        return desktop.fillsSlots(tiles, LayoutKind::mainStack);
    }
    bool waitTiled(const std::vector<AXWindow>& tiles) {
        return waitFor([&] { return tiled(tiles); }, 10s);
    }
    bool allHidden(std::size_t count) {
        return waitFor([&] {
            const auto all = windows();
            return all.size() == count &&
                   std::ranges::all_of(all, [&](const AXWindow& w) { return hidden(w); });
        });
    }
    std::map<std::uint32_t, Rect> frames() {
        std::map<std::uint32_t, Rect> out;
        for (const auto& w : windows())
            out[w.id()] = w.frame().value_or(Rect{});
        return out;
    }
    // Every window shows at exactly its saved frame (within a resize step).
    bool backAt(const std::map<std::uint32_t, Rect>& saved) {
        return waitFor([&] {
            const auto all = windows();
            if (all.size() != saved.size())
                return false;
            return std::ranges::all_of(all, [&](const AXWindow& w) {
                return shown(w) && frameMatches(*w.frame(), saved.at(w.id()), w.sizeIncrement());
            });
        });
    }
    // Gives the window the keyboard focus, as a click would, until the window manager reports
    // it active (Openbox turns down activation requests from a program the user never touched).
    void focus(const AXWindow& w) {
        EXPECT_TRUE(waitFor(
            [&] {
                desktop.server().run({"xdotool", "windowfocus", std::to_string(w.id())});
                return waitFor(
                    [&] {
                        desktop.system().dispatchPending();
                        const auto focused = desktop.system().windowList().focused();
                        return focused && *focused == w;
                    },
                    300ms);
            },
            10s, 100ms))
            << w.description() << " " << w.id() << " " << w.pid() << "; focused: "
            << (desktop.system().windowList().focused()
                    ? std::to_string(desktop.system().windowList().focused()->id()) + " " +
                          std::to_string(desktop.system().windowList().focused()->pid())
                    : "none");
    }

    // Tiles the four windows opened before start, then parks them all on workspace 2.
    std::map<std::uint32_t, Rect> tileThenHide() {
        openBefore();
        EXPECT_TRUE(waitTiled(windows()));
        const auto saved = frames();
        EXPECT_TRUE(pressUntil("alt+2", [&] { return allHidden(4); }));
        return saved;
    }

    XdgSandbox sandbox;
    X11Desktop desktop{desktopOptions(true)};
    int launches = 0;
};

TEST_F(AppE2E, TilesWindowsOpenedBeforeAndAfterStartAndFollowsWorkspaceKeys) {
    openBefore();
    const auto morvanta = start();
    EXPECT_TRUE(logged("Morvanta 0.1.0 launched."));
    // Openbox on Xvfb has no system tray: said once, and Morvanta runs on.
    EXPECT_TRUE(waitFor([&] { return countLogged("No system tray is available") == 1; }));
    EXPECT_TRUE(waitTiled(windows()));

    ASSERT_GT(desktop.server().spawn({"xlogo", "-geometry", "150x100+10+10"}), 0);
    ASSERT_GT(desktop.server().spawn({"xterm", "-title", "three"}), 0);
    ASSERT_TRUE(waitFor([&] { return windows().size() == 6; }, 10s));
    EXPECT_TRUE(waitTiled(windows()));

    const auto all = windows();
    const auto xterm = *std::ranges::find_if(
        all, [](const AXWindow& w) { return w.description().find("“one”") != std::string::npos; });
    focus(xterm);
    keys("alt+shift+3");
    EXPECT_TRUE(waitFor([&] { return hidden(xterm); }));
    auto rest = windows();
    std::erase(rest, xterm);
    EXPECT_TRUE(waitTiled(rest));
    keys("alt+3");
    EXPECT_TRUE(waitTiled({xterm}));
    keys("alt+1");
    EXPECT_TRUE(waitTiled(rest));

    // Workspace 2 is empty: every window hides, and comes back where it was.
    const auto saved = frames();
    keys("alt+2");
    EXPECT_TRUE(allHidden(6));
    keys("alt+1");
    EXPECT_TRUE(waitFor([&] {
        return std::ranges::all_of(rest, [&](const AXWindow& w) {
            return shown(w) && frameMatches(*w.frame(), saved.at(w.id()), w.sizeIncrement());
        });
    }));
    EXPECT_TRUE(hidden(xterm));
}

TEST_F(AppE2E, TermAndIntQuitTheOrdinaryWayAndBringEveryWindowBack) {
    bool first = true;
    std::map<std::uint32_t, Rect> saved;
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        auto morvanta = start();
        if (first)
            saved = tileThenHide();
        else {
            // A new run may order the windows differently: the frames to come back to are
            // this run's.
            EXPECT_TRUE(waitTiled(windows()));
            saved = frames();
            EXPECT_TRUE(pressUntil("alt+2", [&] { return allHidden(4); }));
        }
        first = false;
        morvanta->signal(signal);
        EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
        EXPECT_TRUE(backAt(saved));
    }
    EXPECT_EQ(countLogged("Tiling stopped; brought back 4 hidden window(s)."), 2);
    EXPECT_TRUE(logged("Received SIGTERM; quitting."));
    EXPECT_TRUE(logged("Received SIGINT; quitting."));
}

TEST_F(AppE2E, AfterSigkillRescueAndANewStartBringWindowsBackExactly) {
    auto morvanta = start();
    const auto saved = tileThenHide();
    morvanta->signal(SIGKILL);
    EXPECT_EQ(morvanta->waitExit(), -SIGKILL);
    EXPECT_TRUE(allHidden(4)); // nothing brought them back

    const auto [status, output] = runToEnd({"--rescue"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Brought back 4 hidden window(s)."), std::string::npos) << output;
    EXPECT_TRUE(backAt(saved));
    EXPECT_EQ(runToEnd({"--rescue"}).second, "No window was left hidden.\n");

    // Hidden again, killed again: this time the next start rescues them before it tiles them
    // again (perhaps in another order).
    morvanta = start();
    EXPECT_TRUE(waitTiled(windows()));
    EXPECT_TRUE(pressUntil("alt+2", [&] { return allHidden(4); }));
    morvanta->signal(SIGKILL);
    EXPECT_EQ(morvanta->waitExit(), -SIGKILL);
    morvanta = start();
    EXPECT_TRUE(logged("Rescuing 4 window(s) left in a screen corner"));
    EXPECT_TRUE(waitTiled(windows()));

    // A rescue never runs beside a running Morvanta, whose hidden windows are its own.
    const auto [refused, message] = runToEnd({"--rescue"});
    EXPECT_EQ(refused, 1);
    EXPECT_NE(message.find("Morvanta is running on this display"), std::string::npos);
}

TEST_F(AppE2E, ASecondLaunchOpensTheRunningMorvantasWindowAndExits) {
    const auto morvanta = start();
    for (int launch = 0; launch < 2; ++launch) {
        const auto [status, output] = runToEnd({});
        EXPECT_EQ(status, 0) << output;
        EXPECT_TRUE(waitFor([&] { return morvantaWindows("Morvanta Settings") == 1; }, 10s));
    }
    EXPECT_EQ(countLogged("Morvanta was opened again."), 2);
    EXPECT_EQ(countLogged("launched."), 1);
    EXPECT_FALSE(morvanta->waitExit(0ms)); // the first one runs on
    // Only its user may talk to it.
    std::vector<std::filesystem::path> sockets;
    for (const auto& entry : std::filesystem::directory_iterator(sandbox.root() / "runtime"))
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
    const auto userSettings = sandbox.config() / "morvanta" / "org.morvanta.Morvanta.json";
    const auto before = std::filesystem::last_write_time(userSettings);
    const auto [status, output] = runToEnd({"--self-test"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("0 failed"), std::string::npos) << output;
    EXPECT_EQ(std::filesystem::last_write_time(userSettings), before);
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
