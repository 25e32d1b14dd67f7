// Enumeration, the focused window and window numbers on the fake desktop.
#include "desktop_fixture.h"

namespace morvanta::testing {
namespace {

using WindowListTest = DesktopTest;

TEST_F(WindowListTest, EnumerationKeepsOnlyOrdinaryVisibleWindowsOfOtherProcesses) {
    const AXWindow plain = desktop.openWindow(editor, "plain", {0, 0, 400, 300});
    const AXWindow dialog =
        desktop.openWindow(editor, "dialog", {0, 0, 200, 100}, {.type = FakeWindowType::dialog});
    desktop.openWindow(editor, "transient", {0, 0, 200, 100}, {.transientFor = plain});
    desktop.openWindow(editor, "dock", {0, 0, 200, 100}, {.type = FakeWindowType::dock});
    desktop.openWindow(editor, "minimised", {0, 0, 200, 100}, {.minimised = true});
    const AXWindow full =
        desktop.openWindow(editor, "full", {0, 0, 200, 100}, {.fullScreen = true});
    desktop.openWindow(FakeDesktop::morvantaPid, "own", {0, 0, 200, 100});
    const AXWindow typeless = desktop.openWindow(term, "typeless", {0, 0, 200, 100});
    desktop.setTypeReadable(typeless, false);
    const AXWindow unsure = desktop.openWindow(term, "unsure", {0, 0, 200, 100});
    desktop.setMinimisedReadable(unsure, false);
    const AXWindow parked = desktop.openWindow(term, "parked", {0, 0, 200, 100});
    access().setParkMark(parked, {0, 0, 200, 100});
    access().iconify(parked);

    EXPECT_EQ(all(), (std::vector<AXWindow>{plain, parked, unsure}));
    EXPECT_FALSE(dialog.isStandard());
    EXPECT_EQ(parked.isMinimized(), false); // hidden by parking, not by the user
    EXPECT_TRUE(desktop.isIconified(parked));

    // Full screen covers its screen; leaving it restores the frame and the window counts again.
    EXPECT_EQ(desktop.frameOf(full), (Rect{0, 0, 1920, 1080}));
    desktop.setFullScreen(full, false);
    EXPECT_EQ(desktop.frameOf(full), (Rect{0, 0, 200, 100}));
    EXPECT_EQ(all(), (std::vector<AXWindow>{full, plain, parked, unsure}));
}

TEST_F(WindowListTest, ApplicationsInLaunchOrderEachFrontToBack) {
    const AXWindow e1 = desktop.openWindow(editor, "e1", {0, 0, 400, 300});
    const AXWindow t1 = desktop.openWindow(term, "t1", {0, 0, 400, 300});
    const AXWindow e2 = desktop.openWindow(editor, "e2", {0, 0, 400, 300});
    EXPECT_EQ(all(), (std::vector<AXWindow>{e2, e1, t1}));

    desktop.focus(e1); // raises e1 above e2
    EXPECT_EQ(all(), (std::vector<AXWindow>{e1, e2, t1}));

    // An application that quits and comes back launches after the others.
    desktop.quitApp(editor);
    const AXWindow e3 = desktop.openWindow(editor, "e3", {0, 0, 400, 300});
    EXPECT_EQ(all(), (std::vector<AXWindow>{t1, e3}));
}

TEST_F(WindowListTest, FocusedWindowMayBeADialogOrAnOwnWindow) {
    auto& list = desktop.system().windowList();
    EXPECT_FALSE(list.focused());
    const AXWindow dialog =
        desktop.openWindow(editor, "dialog", {0, 0, 200, 100}, {.type = FakeWindowType::dialog});
    EXPECT_EQ(list.focused(), dialog);
    const AXWindow own = desktop.openWindow(FakeDesktop::morvantaPid, "own", {0, 0, 200, 100});
    EXPECT_EQ(list.focused(), own);
    const AXWindow quiet = desktop.openWindow(term, "quiet", {0, 0, 200, 100}, {.activate = false});
    EXPECT_EQ(list.focused(), own);
    desktop.closeWindow(own); // focus goes to the top-most remaining window
    EXPECT_EQ(list.focused(), quiet);
}

TEST_F(WindowListTest, WindowNumberIsTheHandlesOwnWithinTwoPoints) {
    auto& numbers = desktop.system().windowNumbers();
    const AXWindow back = desktop.openWindow(editor, "back", {100, 100, 400, 300});
    const AXWindow front = desktop.openWindow(editor, "front", {100, 100, 400, 300});
    const auto n = numbers.number(front, {102, 98, 402, 298});
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, front.id() + FakeWindowSystem::frameNumberOffset);
    // The same frame under another window of the same application: that window's own number.
    EXPECT_EQ(numbers.number(back, {100, 100, 400, 300}),
              back.id() + FakeWindowSystem::frameNumberOffset);
    EXPECT_FALSE(numbers.number(front, {102.01, 100, 400, 300}));
    // Without a process id the window is still found by its handle.
    const AXWindow anonymous = desktop.openWindow(0, "anonymous", {600, 100, 300, 200});
    EXPECT_EQ(numbers.number(anonymous, {600, 100, 300, 200}),
              anonymous.id() + FakeWindowSystem::frameNumberOffset);

    desktop.userMove(back, {500, 500});
    EXPECT_EQ(numbers.bounds(*numbers.number(back, {500, 500, 400, 300})),
              (Rect{500, 500, 400, 300}));
    EXPECT_FALSE(numbers.bounds(12));
}

} // namespace
} // namespace morvanta::testing
