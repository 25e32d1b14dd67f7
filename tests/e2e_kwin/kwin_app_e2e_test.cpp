// The real `morvanta` program in a headless KDE Plasma (Wayland) session, with windows of
// Xwayland programs and of a native Wayland client: it chooses KWin by itself, tiles at start and
// when a window opens, follows `morvanta msg` (switch, move, float, swap) and its global shortcuts
// (pressed through KDE's shortcut service), and every way it can
// end (SIGTERM; SIGKILL followed by a new start or by --rescue) brings each window it hid back at
// its exact frame and leaves KWin without its script. The self-test passes there. A value of
// MORVANTA_BACKEND that names no backend is refused, and a Wayland desktop without KWin gets
// the notice that says what Morvanta can tile.
#include "app/shell/welcome/onboarding_texts.h"
#include "tests/e2e_kwin/kwin_app_fixture.h"
#include "tests/support/session_bus.h"

#include <csignal>
#include <sys/stat.h>

namespace morvanta::testing {
namespace {

const std::vector<std::string> three = {"term", "clock", "native-one"};

// Whether `caption` now fills a slot another of `captions` filled in `before`.
bool tookAnothersSlot(const std::map<std::string, KWinRect>& before,
                      const std::map<std::string, KWinRect>& now, const std::string& caption) {
    return std::ranges::any_of(before, [&](const auto& entry) {
        return entry.first != caption && now.contains(caption) &&
               frameMatches(toRect(now.at(caption)), toRect(entry.second), Size{12, 24});
    });
}

TEST_F(KWinAppE2E, TilesFollowsCommandsAndQuitsWithEveryWindowBackExactly) {
    openThree();
    const auto morvanta = start();
    EXPECT_TRUE(logged("KWin script said hello")) << logText();
    EXPECT_EQ(scriptLoaded(), true);
    ASSERT_TRUE(waitTiled(three)) << described() << logText();

    ASSERT_EQ(client->command("open native-two 300 200"), "window native-two");
    const std::vector<std::string> four = {"term", "clock", "native-one", "native-two"};
    ASSERT_TRUE(waitTiled(four)) << described() << logText();
    const auto listed = state();
    ASSERT_TRUE(listed.is_object());
    EXPECT_EQ(listed["displays"].size(), 1u) << listed.dump();
    EXPECT_EQ(listed["workspaces"][0]["windows"].size(), 4u) << listed.dump();

    // A shortcut goes through KDE's shortcut service, listed there under the action's title.
    EXPECT_TRUE(waitFor([&] {
        const auto listed = plasmaShortcuts();
        return listed.find("\"switchToWorkspace2\"") != std::string::npos &&
               listed.find("\"Switch to workspace 2\"") != std::string::npos;
    })) << plasmaShortcuts()
        << logText();
    pressShortcut("switchToWorkspace2");
    EXPECT_TRUE(waitHidden(four)) << described() << logText();
    msg({"workspace", "1"});
    EXPECT_TRUE(waitTiled(four)) << described();

    focus(*window("native-two"));
    msg({"move-window", "2"});
    EXPECT_TRUE(waitHidden({"native-two"})) << described();
    EXPECT_TRUE(waitTiled(three)) << described();

    focus(*window("native-one"));
    msg({"run", "toggleFloating"});
    EXPECT_TRUE(waitTiled({"term", "clock"})) << described();
    const auto floating = window("native-one");
    EXPECT_TRUE(floating && !hidden(*floating)) << described();
    msg({"run", "toggleFloating"});
    EXPECT_TRUE(waitTiled(three)) << described();

    // The main window is the leftmost: a swap to the other side trades two slots.
    const auto before = framesOf(three);
    const bool isMain = std::ranges::all_of(
        before, [&](const auto& entry) { return before.at("native-one").x <= entry.second.x; });
    msg({"run", isMain ? "swapRight" : "swapLeft"});
    EXPECT_TRUE(waitFor([&] {
        return tiled(three) && tookAnothersSlot(before, framesOf(three), "native-one");
    })) << described();

    // Quit while workspace 1's windows are parked: each comes back exactly where it was. The
    // window moved to workspace 2 shows there now; its mark goes once Morvanta has seen it shown.
    ASSERT_TRUE(waitTiled(three)) << described();
    const auto shown = framesOf(three);
    msg({"workspace", "2"});
    ASSERT_TRUE(waitHidden(three)) << described();
    EXPECT_TRUE(waitFor([&] { return marks() == shown; })) << explained(shown);
    const auto parked = marks();
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
    EXPECT_TRUE(backAt(parked)) << explained(parked);
    EXPECT_TRUE(marks().empty());
    EXPECT_EQ(scriptLoaded(), false);
    EXPECT_TRUE(logged("Tiling stopped; brought back 3 hidden window(s).")) << logText();
}

TEST_F(KWinAppE2E, WindowsAKilledMorvantaHidComeBackAtTheNextStartAndWithRescue) {
    openThree();
    const auto hideAndKill = [&](MorvantaProcess& morvanta) {
        msg({"workspace", "2"});
        EXPECT_TRUE(waitHidden(three)) << described();
        morvanta.signal(SIGKILL);
        EXPECT_TRUE(morvanta.waitExit());
        EXPECT_EQ(marks().size(), 3u);
        return marks();
    };
    {
        const auto morvanta = start();
        ASSERT_TRUE(waitTiled(three)) << described() << logText();
        hideAndKill(*morvanta);
    }
    std::map<std::string, KWinRect> parked;
    {
        // The next start finds the marks in the state file: the windows come back, then tile.
        const auto morvanta = start();
        EXPECT_TRUE(logged("Rescuing 3 window(s)")) << logText();
        ASSERT_TRUE(waitTiled(three)) << described() << logText();
        EXPECT_TRUE(waitFor([&] { return marks().empty(); }));
        parked = hideAndKill(*morvanta);
    }
    const auto [status, output] = runToEnd({"--rescue"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Brought back 3 hidden window(s)."), std::string::npos) << output;
    EXPECT_TRUE(backAt(parked)) << explained(parked);
    EXPECT_TRUE(marks().empty());
    EXPECT_EQ(scriptLoaded(), false);
    // Nothing is left to bring back.
    const auto [again, said] = runToEnd({"--rescue"});
    EXPECT_EQ(again, 0) << said;
    EXPECT_NE(said.find("No window was left hidden."), std::string::npos) << said;
}

// Windows that all take the keyboard, native ones first so that they lead the layout: the
// self-test checks that the focus leaves a window moved away, and a clock never takes it.
TEST_F(KWinAppE2E, SelfTestPasses) {
    client = session->startLineProcess(LineProcess::besideThisTest("morvanta-wayland-testclient"),
                                       {}, {});
    ASSERT_EQ(client->command("open native-one 400 300"), "window native-one");
    ASSERT_EQ(client->command("open native-two 400 300"), "window native-two");
    ASSERT_GT(session->spawn({"xterm", "-T", "term"}), 0);
    ASSERT_TRUE(waitFor([&] { return windows().size() == 3; }, 20s)) << described();
    const auto before = framesOf({"native-one", "native-two", "term"});
    const auto selfTest = launch({"--self-test"});
    const auto status = selfTest->waitExit(120s);
    EXPECT_EQ(status, 0) << selfTest->output();
    EXPECT_NE(selfTest->output().find(" 0 failed ==="), std::string::npos) << selfTest->output();
    EXPECT_TRUE(backAt(before)) << explained(before);
    EXPECT_EQ(scriptLoaded(), false);
}

// Without KWin: the choice of the backend alone.
class DesktopChoiceE2E : public ::testing::Test {
protected:
    void SetUp() override {
        mkdir(runtime().c_str(), 0700);
        ASSERT_TRUE(bus.ok());
    }
    std::filesystem::path runtime() { return sandbox.root() / "runtime"; }
    MorvantaProcess::Variables waylandWithoutKWin() {
        return {{"WAYLAND_DISPLAY", "wayland-of-another-desktop"},
                {"DISPLAY", ""},
                {"XDG_SESSION_TYPE", "wayland"},
                {"XDG_RUNTIME_DIR", runtime().string()},
                {"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"MORVANTA_BACKEND", ""}};
    }
    std::string logText() { return sandbox.morvantaLog(); }

    XdgSandbox sandbox;
    SessionBus bus;
};

TEST_F(DesktopChoiceE2E, AnUnknownBackendIsRefusedAndAnotherWaylandDesktopIsToldWhatWorks) {
    auto unknown = waylandWithoutKWin();
    unknown["MORVANTA_BACKEND"] = "wayland";
    for (const auto& arguments : {std::vector<std::string>{}, {"--rescue"}}) {
        const auto [status, output] =
            MorvantaProcess::run(unknown, arguments, sandbox.root() / "unknown.txt");
        EXPECT_EQ(status, 2) << output;
        EXPECT_NE(output.find("MORVANTA_BACKEND=\"wayland\""), std::string::npos) << output;
    }

    MorvantaProcess morvanta(waylandWithoutKWin(), {}, sandbox.root() / "other.txt");
    EXPECT_TRUE(waitFor(
        [&] { return logText().find(OnboardingTexts::otherWaylandDesktop) != std::string::npos; },
        20s))
        << morvanta.output() << logText();
    EXPECT_EQ(logText().find("Tiling started."), std::string::npos);
    morvanta.signal(SIGTERM);
    EXPECT_EQ(morvanta.waitExit(10s), 0) << morvanta.output();
}

} // namespace
} // namespace morvanta::testing
