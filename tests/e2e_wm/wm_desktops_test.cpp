// Beside window managers with desktops of their own, and through a window manager's restart:
// only the window manager's current desktop is tiled, windows on its other desktops stay as
// they are, and a window manager started again with --replace while windows hide loses none.
#include "tests/e2e_wm/wm_fixture.h"

#include <csignal>

namespace morvanta::testing {
namespace {

using WindowManagerDesktops = WindowManagerE2E;

std::vector<WindowManagerSetup> managedSetups() {
    auto setups = windowManagerSetups(false);
    std::erase_if(setups, [](const WindowManagerSetup& s) {
        return s.windowManager == TestWindowManager::none;
    });
    return setups;
}

TEST_P(WindowManagerDesktops, OnlyTheCurrentDesktopIsTiled) {
    auto& server = desktop.server();
    // Some start with one desktop (KWin): a second one is asked for, as a pager would.
    server.run({"xdotool", "set_num_desktops", "2"});
    ASSERT_TRUE(waitFor([&] {
        return server.run({"sh", "-c", "test \"$(xdotool get_num_desktops)\" -ge 2"}) == 0;
    }));
    openBefore();
    const auto two = named("two");
    ASSERT_EQ(server.run({"xdotool", "set_desktop_for_window", std::to_string(two.id()), "1"}), 0);
    ASSERT_TRUE(waitFor([&] { return windows().size() == 3; })) << described();
    auto first = windows();

    auto morvanta = start();
    EXPECT_TRUE(waitTiled(first)) << described();
    // Over on desktop 2 only the window there and those on every desktop show (IceWM keeps
    // xeyes on all of them), and they fill the workspace.
    const auto one = named("one");
    ASSERT_EQ(server.run({"xdotool", "set_desktop", "1"}), 0);
    ASSERT_TRUE(waitFor([&] {
        const auto all = windows();
        return std::ranges::count(all, two) == 1 && std::ranges::count(all, one) == 0;
    })) << described();
    EXPECT_TRUE(waitTiled(windows())) << described();
    const auto there = two.frame();
    // Back on desktop 1 its windows fill the workspace again; the other one stayed where it is.
    ASSERT_EQ(server.run({"xdotool", "set_desktop", "0"}), 0);
    ASSERT_TRUE(waitFor([&] { return windows().size() == 3; })) << described();
    EXPECT_TRUE(waitTiled(windows())) << described();
    EXPECT_EQ(two.frame(), there);
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
}

TEST_P(WindowManagerDesktops, ARestartedWindowManagerLosesNoWindow) {
    auto morvanta = start();
    openBefore();
    EXPECT_TRUE(waitTiled(windows())) << described();
    const auto saved = frames();
    EXPECT_TRUE(pressUntil("alt+2", [&] { return allHidden(4); }));
    ASSERT_TRUE(desktop.server().replaceWindowManager());
    // Everything hidden is still Morvanta's to show, at its slot.
    keys("alt+1");
    EXPECT_TRUE(backAt(saved)) << described() << logText();
    keys("alt+2");
    EXPECT_TRUE(allHidden(4)) << described() << logText();
    ASSERT_TRUE(desktop.server().replaceWindowManager());
    morvanta->signal(SIGTERM);
    EXPECT_EQ(morvanta->waitExit(10s), 0) << morvanta->output();
    EXPECT_TRUE(backAt(saved)) << described() << logText();
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerDesktops, ::testing::ValuesIn(managedSetups()),
                         setupName);

} // namespace
} // namespace morvanta::testing
