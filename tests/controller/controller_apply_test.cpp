// The refresh and apply steps: new windows and their rules, the frame cache, learned minimum
// sizes, windows that size in steps, focus made outside Morvanta, and the focus border.
#include "tests/support/fake_desktop_controller.h"

namespace morvanta::testing {
namespace {

using ControllerTest = FakeDesktopControllerTest;

TEST_F(ControllerTest, RuleSendsNewWindowToItsWorkspaceFloating) {
    settings.setAppRules({AppRule{"XTerm", "Terminal", 3, true, false}});
    auto& c = startController();
    clearLog();
    const auto w = open(term, "shell", {10, 10, 300, 200}, {.activate = false});
    settle();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"New windows: Terminal — “shell” → 3 (floating)."});
    const auto id = *c.registry().idFor(w);
    EXPECT_EQ(c.manager().workspaceNumberOf(id), 3);
    EXPECT_TRUE(c.manager().isFloating(id));
    EXPECT_TRUE(c.parker().isParked(w)); // workspace 3 is not shown
}

TEST_F(ControllerTest, WindowThatWillNotShrinkTeachesItsMinimumAndIsLaidOutOnceMore) {
    settings.setDefaultLayout(LayoutKind::columns);
    auto& c = startController();
    const auto wide = open(editor, "wide", {0, 0, 300, 300}, {.minimumSize = {800, 0}});
    const auto other = open(term, "other");
    settle();
    EXPECT_TRUE(logged("Learned minimum sizes: Editor — “wide” 800×0."));
    EXPECT_EQ(c.minimums().at(*c.registry().idFor(wide)), (Size{800, 0}));
    EXPECT_EQ(desktop.setFrameCount(wide), 2); // 600 wide, then 800 after the retry
    EXPECT_EQ(frame(wide), (Rect{0, 0, 800, 800}));
    EXPECT_EQ(frame(other), (Rect{800, 0, 400, 800}));

    // Everything is at its target: a new refresh touches nothing.
    desktop.clearOperations();
    c.refresh();
    EXPECT_EQ(desktop.setFrameCount(wide) + desktop.setFrameCount(other), 0);
    EXPECT_EQ(countLogged("Learned minimum sizes: Editor — “wide” 800×0."), 1);
}

TEST_F(ControllerTest, CommandReadsItsResultsBackOnTheNextTurnOrBeforeAnythingElse) {
    settings.setDefaultLayout(LayoutKind::columns);
    settings.setAppRules({AppRule{"org.example.Editor", "Editor", 2, false, false},
                          AppRule{"XTerm", "Terminal", 2, false, false}});
    auto& c = startController();
    const auto wide =
        open(editor, "wide", {0, 0, 300, 300}, {.minimumSize = {800, 0}, .activate = false});
    const auto other = open(term, "other", {10, 10, 300, 200}, {.activate = false});
    settle();
    ASSERT_TRUE(c.parker().isParked(wide));
    clearLog();

    c.commands().switchToWorkspace(2);
    // The command has sent its frames; what became of them is read on the loop's next turn.
    EXPECT_FALSE(logged("Learned minimum sizes: Editor — “wide” 800×0."));
    EXPECT_EQ(frame(other), (Rect{600, 0, 600, 800}));
    // Another command before that turn runs the check first, so nothing it finds is lost.
    c.commands().switchToWorkspace(1);
    EXPECT_TRUE(logged("Learned minimum sizes: Editor — “wide” 800×0."));
    EXPECT_TRUE(c.parker().isParked(wide));
    EXPECT_TRUE(c.parker().isParked(other));
    c.commands().switchToWorkspace(2);
    EXPECT_EQ(frame(wide), (Rect{0, 0, 800, 800}));
    EXPECT_EQ(frame(other), (Rect{800, 0, 400, 800}));
    loop.runDue();
    EXPECT_EQ(countLogged("Learned minimum sizes: Editor — “wide” 800×0."), 1);
}

TEST_F(ControllerTest, RetryCheckedBeforeTheNextCommandIsNeverLost) {
    // Workspace 2's check learns a minimum; its retry, laid out after the next command changed
    // the model, parks "hider", whose park does not hold. The command itself sends a frame
    // again ("sticky" ignores its moves) and so has a check of its own; the retry's check must
    // still run and minimise the window whose park did not hold.
    settings.setDefaultLayout(LayoutKind::columns);
    settings.setAppRules({AppRule{"org.example.Editor", "Editor", 2, false, false}});
    auto& c = startController();
    const auto sticky = open(term, "sticky");
    const auto wide =
        open(editor, "wide", {0, 0, 300, 300}, {.minimumSize = {700, 0}, .activate = false});
    const auto hider = open(editor, "hider", {10, 10, 300, 200}, {.activate = false});
    settle();
    ASSERT_TRUE(c.parker().isParked(wide));
    c.commands().switchToWorkspace(2);
    ASSERT_FALSE(logged("Learned minimum sizes: Editor — “wide” 700×0."));
    desktop.setMoveFault(hider, MoveFault::ignored);
    desktop.setMoveFault(sticky, MoveFault::ignored);
    clearLog();

    c.commands().switchToWorkspace(1);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Workspace 1 on S1.",
                              "Learned minimum sizes: Editor — “wide” 700×0.",
                          }));
    // The retry's check found the park did not hold and minimised the window instead.
    EXPECT_TRUE(desktop.isIconified(hider));
    EXPECT_FALSE(desktop.isIconified(wide));
    loop.advance(1s);
    EXPECT_EQ(countLogged("Learned minimum sizes: Editor — “wide” 700×0."), 1);
}

// A window manager starting up drops the moves of windows it does not manage yet: a window
// shown from parking then stays off every screen. Its size there teaches nothing; it is sent
// to its slot again a little later, and stopping brings it back if it is still away.
TEST_F(ControllerTest, WindowLeftOffScreenIsSentAgainAndBroughtBackOnStop) {
    settings.setAppRules({AppRule{"org.example.Editor", "Editor", 2, false, false}});
    auto& c = startController();
    const auto w = open(editor, "late", {10, 10, 300, 200}, {.activate = false});
    settle();
    ASSERT_TRUE(c.parker().isParked(w));
    const auto parkedAt = frame(w).origin();
    const auto strandOnWorkspace2 = [&] {
        desktop.setMoveFault(w, MoveFault::ignored);
        c.commands().switchToWorkspace(2);
        loop.runDue();
        ASSERT_EQ(frame(w).origin(), parkedAt);
        desktop.setMoveFault(w, MoveFault::none);
    };
    strandOnWorkspace2();
    EXPECT_TRUE(c.minimums().empty());
    const Rect slot = c.currentPlan().visible.at(*c.registry().idFor(w));
    loop.advance(1s);
    EXPECT_EQ(frame(w), slot);

    c.commands().switchToWorkspace(1);
    loop.runDue();
    ASSERT_TRUE(c.parker().isParked(w));
    strandOnWorkspace2();
    clearLog();
    c.stop();
    EXPECT_EQ(frame(w), slot);
    EXPECT_TRUE(logged("Tiling stopped; brought back 1 hidden window(s)."));
}

TEST_F(ControllerTest, FrameCacheSkipsWindowsAtTheirTargetUntilSettingsChange) {
    auto& c = startController();
    const auto w = open(editor, "a");
    settle();
    desktop.userMove(w, {frame(w).x + 2, frame(w).y + 1}); // within the tolerance
    desktop.clearOperations();
    c.refresh();
    EXPECT_EQ(desktop.setFrameCount(w), 0);
    settings.setInnerGap(0); // any change: every frame is set again
    EXPECT_EQ(desktop.setFrameCount(w), 1);
}

TEST_F(ControllerTest, WindowSizingInStepsCountsAsAtItsTargetWithinOneStep) {
    desktop.setWindowManager(WindowManagerMode::clamping);
    auto& c = startController();
    const auto shell =
        open(term, "shell", {0, 0, 300, 300}, {.sizeIncrement = Size{7, 13}, .baseSize = {4, 4}});
    const auto other = open(editor, "other");
    settle();
    const Rect target = c.currentPlan().visible.at(*c.registry().idFor(shell));
    const Rect actual = frame(shell);
    EXPECT_NE(actual, target); // snapped to whole cells
    EXPECT_LE(target.width - actual.width, 7);
    EXPECT_LE(target.height - actual.height, 13);

    // No fighting: further refreshes, settings-free applies and a mouse-up leave it alone.
    desktop.clearOperations();
    for (int i = 0; i < 3; ++i)
        c.refresh();
    mouse->press({50, 50});
    mouse->release();
    loop.advance(100ms);
    EXPECT_EQ(desktop.setFrameCount(shell), 0);
    EXPECT_EQ(desktop.setFrameCount(other), 0);
    EXPECT_FALSE(logged("Learned minimum sizes: Terminal — “shell” 0×0."));
    EXPECT_TRUE(c.minimums().empty());
}

TEST_F(ControllerTest, FocusMadeOutsideSwitchesToTheWindowsWorkspace) {
    auto& c = startController();
    const auto a = open(editor, "a");
    const auto b = open(term, "b");
    settle();
    desktop.focus(b);
    c.commands().moveFocusedWindow(2);
    settle(); // the focus passed to "a"
    EXPECT_TRUE(c.parker().isParked(b));
    clearLog();
    desktop.focus(b); // the user brings it forward by the desktop's own means
    settle();
    EXPECT_EQ(messages(), std::vector<std::string>{"Focus moved to workspace 2 (Terminal — “b”)."});
    EXPECT_EQ(c.manager().activeWorkspaceNumber(DisplayID{"S1"}), 2);
    EXPECT_FALSE(c.parker().isParked(b));
    EXPECT_TRUE(c.parker().isParked(a));
    EXPECT_EQ(c.currentNumber().get(), 2);
}

TEST_F(ControllerTest, AWindowManagerHandingTheKeyboardToAHiddenWindowIsNotFollowed) {
    auto& c = startController();
    const auto a = open(editor, "a");
    const auto b = open(term, "b");
    settle();
    desktop.focus(b);
    c.commands().switchToWorkspace(2); // takes the keyboard from the hidden "b"
    // The window manager passes it on to another window it still has mapped, a hidden one.
    desktop.focus(a);
    settle();
    EXPECT_EQ(c.manager().activeWorkspaceNumber(DisplayID{"S1"}), 2);
    EXPECT_TRUE(c.parker().isParked(a));
    // Later it is the user's doing, and followed.
    loop.advance(1s);
    desktop.focus(b);
    settle();
    EXPECT_EQ(c.manager().activeWorkspaceNumber(DisplayID{"S1"}), 1);
    EXPECT_FALSE(c.parker().isParked(b));
}

TEST_F(ControllerTest, BorderFollowsTheFocusedTiledWindowAndRespectsRules) {
    settings.setAppRules({AppRule{"XTerm", "Terminal", std::nullopt, false, true}});
    auto& c = startController();
    EXPECT_TRUE(c.borderRunning());
    const auto a = open(editor, "a");
    const auto b = open(term, "b");
    settle();
    desktop.focus(a);
    EXPECT_TRUE(ring->visible());
    desktop.focus(b); // its application's rule keeps the border off
    EXPECT_FALSE(ring->visible());
    desktop.focus(a);
    c.commands().setPaused(true);
    EXPECT_FALSE(ring->visible());
    c.commands().setPaused(false);
    loop.runDue(); // the border follows once the windows are in place
    EXPECT_TRUE(ring->visible());
    settings.setBorderEnabled(false);
    EXPECT_FALSE(c.borderRunning());
    EXPECT_FALSE(ring->visible());
}

} // namespace
} // namespace morvanta::testing
