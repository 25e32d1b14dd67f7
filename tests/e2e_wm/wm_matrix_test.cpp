// The real `morvanta` program beside each window manager people run (none, Openbox, Xfwm4,
// KWin, Mutter, IceWM, Fluxbox), on one screen and on two monitors side by side, driven from
// outside with XTEST keys, signals, SIGKILL and `--rescue`: windows tile, hide and come back at
// their slots, move, float and swap; the border follows the focus; a quiet desktop stays quiet;
// every way of ending brings every window back exactly.
#include "tests/e2e_wm/wm_fixture.h"

#include <csignal>

namespace morvanta::testing {
namespace {

using WindowManagerMatrix = WindowManagerE2E;

TEST_P(WindowManagerMatrix, TilesHidesMovesFloatsSwapsAndStaysQuiet) {
    openBefore();
    auto morvanta = start();
    EXPECT_TRUE(waitTiled(windows())) << described() << logText();
    ASSERT_GT(desktop.server().spawn({"xterm", "-title", "three", "-geometry", "60x20+300+300"}),
              0);
    ASSERT_TRUE(waitFor([&] { return windows().size() == 5; }, 60s)) << described() << logText();
    EXPECT_TRUE(waitTiled(windows())) << described() << logText();
    EXPECT_EQ(configuresDuring(windows(), 2s), 0);

    const auto one = named("one");
    focus(one);
    EXPECT_TRUE(waitFor([&] { return borderAround(one); })) << borderSeen << logText();

    // Swapped with a neighbour: it takes another slot, every window still fills one. A window
    // manager may hold the keys itself (Openbox sends a window to another desktop with them);
    // then the log says so, and the keys are left to it.
    const auto before = one.frame();
    const auto swapped = [&] { return one.frame() != before && tiled(windows()); };
    for (const auto& [key, title] : {std::pair{"alt+shift+Right", "Swap window right"},
                                     std::pair{"alt+shift+Left", "Swap window left"}}) {
        if (logged("(" + std::string(title) + ") is taken by another program"))
            continue;
        keys(key);
        if (waitFor(swapped, 2s))
            break;
    }
    if (one.frame() != before) {
        EXPECT_TRUE(waitFor(swapped)) << described() << logText();
        EXPECT_TRUE(waitFor([&] { return borderAround(one); })) << borderSeen << logText();
    } else {
        EXPECT_TRUE(logged("(Swap window right) is taken by another program")) << logText();
        EXPECT_TRUE(logged("(Swap window left) is taken by another program")) << logText();
    }

    // Floated, the rest share the screen; tiled again, it takes a slot again.
    auto rest = windows();
    std::erase(rest, one);
    keys("alt+shift+f");
    EXPECT_TRUE(waitTiled(rest)) << described() << logText();
    EXPECT_TRUE(shown(one));
    focus(one);
    keys("alt+shift+f");
    EXPECT_TRUE(waitTiled(windows())) << described() << logText();

    // Moved to workspace 3, it leaves this one and shows alone there.
    focus(one);
    keys("alt+shift+3");
    EXPECT_TRUE(waitFor([&] { return hidden(one); }));
    EXPECT_TRUE(waitTiled(rest)) << described() << logText();
    keys("alt+3");
    EXPECT_TRUE(waitTiled({one})) << described() << logText();
    const auto alone = one.frame();
    keys("alt+1");
    EXPECT_TRUE(waitTiled(rest)) << described() << logText();

    // An empty workspace hides every window; the way back puts each at its slot.
    const auto saved = frames();
    keys("alt+2");
    EXPECT_TRUE(allHidden(5)) << logText();
    keys("alt+1");
    EXPECT_TRUE(waitFor([&] {
        return std::ranges::all_of(rest, [&](const AXWindow& w) {
            return shown(w) && frameMatches(*w.frame(), saved.at(w.id()), w.sizeIncrement());
        });
    })) << described()
        << framesText(saved) << logText();
    EXPECT_TRUE(hidden(one));
    EXPECT_EQ(configuresDuring(windows(), 2s), 0);

    // Ended while every window hides: each comes back exactly where it last showed.
    auto last = frames();
    last[one.id()] = alone.value_or(Rect{});
    keys("alt+2");
    EXPECT_TRUE(allHidden(5)) << logText();
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
    EXPECT_TRUE(backAt(last)) << described() << framesText(last) << logText();
}

TEST_P(WindowManagerMatrix, AfterSigkillRescueAndANewStartBringWindowsBackExactly) {
    auto morvanta = start();
    const auto saved = tileThenHide();
    morvanta->signal(SIGKILL);
    EXPECT_EQ(morvanta->waitExit(), -SIGKILL);
    EXPECT_TRUE(allHidden(4)); // nothing brought them back

    const auto [status, output] = runToEnd({"--rescue"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Brought back 4 hidden window(s)."), std::string::npos) << output;
    EXPECT_TRUE(backAt(saved)) << described() << logText();
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
    EXPECT_TRUE(waitTiled(windows())) << described() << logText();
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
}

TEST_P(WindowManagerMatrix, SelfTestEndsWithNoFailedCheck) {
    // Three terminals: when one leaves, the focus and its neighbours are windows that take the
    // keyboard (a clock and a pair of eyes never do, and some window managers then report no
    // active window at all).
    openBefore(true);
    // Started from a terminal, as a person would: that terminal has the focus.
    focus(named("one"));
    const auto [status, output] = runToEnd({"--self-test"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(" passed, 0 failed"), std::string::npos) << output;
    EXPECT_EQ(logText().find("❌"), std::string::npos) << logText();
    const bool skipped = logText().find("two-display checks skipped") != std::string::npos;
    EXPECT_EQ(skipped, !GetParam().twoMonitors) << logText();
    EXPECT_TRUE(waitFor([&] {
        return std::ranges::none_of(windows(), [&](const AXWindow& w) { return hidden(w); });
    }));
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerMatrix, ::testing::ValuesIn(windowManagerSetups()),
                         setupName);

} // namespace
} // namespace morvanta::testing
