// The user commands and the published summaries.
#include "tests/support/fake_desktop_controller.h"

namespace morvanta::testing {
namespace {

using ControllerTest = FakeDesktopControllerTest;

class CommandsTest : public ControllerTest {
protected:
    void SetUp() override {
        startController();
        a = open(editor, "a");
        b = open(term, "b");
        settle();
        clearLog();
    }
    AXWindow a, b;
};

TEST_F(CommandsTest, SwitchingHidesAndRestoresInPlaceAndAlwaysLogs) {
    const Rect fa = frame(a), fb = frame(b);
    desktop.focus(b);
    controller->commands().switchToWorkspace(2);
    EXPECT_TRUE(controller->parker().isParked(a));
    EXPECT_TRUE(controller->parker().isParked(b));
    // Nothing on workspace 2 can take the keyboard: no hidden window keeps it, unless a window
    // of Morvanta's own is open to take it.
    EXPECT_EQ(desktop.focusedWindow(), std::nullopt);
    const auto focusNothings = [&] {
        return std::ranges::count_if(desktop.operations(), [](const FakeOperation& op) {
            return op.kind == FakeOperation::Kind::focusNothing;
        });
    };
    EXPECT_EQ(focusNothings(), 1);
    int activated = 0;
    controller->commands().activateSelf = [&] { return ++activated > 0; };
    controller->commands().switchToWorkspace(3);
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(focusNothings(), 1);
    controller->commands().activateSelf = nullptr;
    controller->commands().switchToWorkspace(1);
    controller->commands().switchToWorkspace(1);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Workspace 2 on S1.", "Workspace 3 on S1.",
                                                    "Workspace 1 on S1.", "Workspace 1 on S1."}));
    EXPECT_EQ(frame(a), fa);
    EXPECT_EQ(frame(b), fb);
    EXPECT_EQ(controller->parker().count(), 0);
}

TEST_F(CommandsTest, PreviousWorkspaceGoesBackAndNamesItOnlyWithAFocusedWindow) {
    const Rect fa = frame(a), fb = frame(b);
    desktop.focus(a);
    controller->commands().previousWorkspace(); // none yet: stays, still names where the focus is
    controller->commands().switchToWorkspace(3);
    EXPECT_TRUE(controller->parker().isParked(a));
    controller->commands().previousWorkspace();
    EXPECT_EQ(messages(), (std::vector<std::string>{"Back to workspace 1.", "Workspace 3 on S1.",
                                                    "Back to workspace 1."}));
    EXPECT_EQ(controller->manager().activeWorkspaceNumber(DisplayID{"S1"}), 1);
    EXPECT_EQ(frame(a), fa);
    EXPECT_EQ(frame(b), fb);
    EXPECT_EQ(desktop.focusedWindow(), a);
    // Back to the empty workspace: no window to name, so no line, but the windows go.
    clearLog();
    controller->commands().previousWorkspace();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(controller->manager().activeWorkspaceNumber(DisplayID{"S1"}), 3);
    EXPECT_TRUE(controller->parker().isParked(a));
    EXPECT_TRUE(controller->parker().isParked(b));
}

TEST_F(CommandsTest, NeighboursAreFocusedAndSwappedSilentlyOnlyFromATiledWindow) {
    const Rect left = frame(a), right = frame(b);
    ASSERT_LT(left.x, right.x);
    desktop.focus(a);
    desktop.clearOperations();
    controller->commands().focusNeighbour(Direction::left); // nothing further left
    EXPECT_EQ(desktop.focusedWindow(), a);
    controller->commands().focusNeighbour(Direction::right);
    EXPECT_EQ(desktop.focusedWindow(), b);
    EXPECT_EQ(desktop.setFrameCount(a) + desktop.setFrameCount(b), 0); // focus only, no apply

    controller->commands().swapWithNeighbour(Direction::right); // nothing further right
    EXPECT_EQ(frame(b), right);
    controller->commands().swapWithNeighbour(Direction::left);
    EXPECT_EQ(frame(a), right);
    EXPECT_EQ(frame(b), left);
    EXPECT_EQ(desktop.focusedWindow(), b);

    // Nothing focused, a window Morvanta does not track, a floating window: nothing happens.
    desktop.clearFocus();
    controller->commands().focusNeighbour(Direction::right);
    controller->commands().swapWithNeighbour(Direction::right);
    const auto dialog =
        open(editor, "dialog", {400, 300, 200, 100}, {.type = FakeWindowType::dialog});
    controller->commands().focusNeighbour(Direction::right);
    controller->commands().swapWithNeighbour(Direction::right);
    EXPECT_EQ(desktop.focusedWindow(), dialog);
    desktop.focus(b);
    controller->commands().toggleFloat();
    clearLog();
    desktop.clearOperations();
    controller->commands().swapWithNeighbour(Direction::right);
    controller->commands().focusNeighbour(Direction::right);
    EXPECT_EQ(desktop.focusedWindow(), b);
    EXPECT_EQ(desktop.setFrameCount(a) + desktop.setFrameCount(b), 0);
    EXPECT_TRUE(messages().empty());
}

TEST_F(CommandsTest, ClosedAndMinimisedWindowsAreCountedInOneLine) {
    const auto c = open(editor, "c");
    settle();
    clearLog();
    desktop.closeWindow(a);
    desktop.minimise(c);
    settle();
    EXPECT_EQ(countLogged("2 window(s) closed or minimised."), 1);
    EXPECT_FALSE(controller->registry().idFor(a));
    EXPECT_FALSE(controller->registry().idFor(c));
    EXPECT_EQ(frame(b), (Rect{0, 0, 1200, 800})); // alone now
    // Nothing gone: no line.
    clearLog();
    controller->refresh();
    EXPECT_TRUE(messages().empty());
}

TEST_F(CommandsTest, MovingNeedsAFocusedTiledWindow) {
    desktop.clearFocus();
    controller->commands().moveFocusedWindow(3);
    desktop.focus(a);
    controller->commands().moveFocusedWindow(1); // already there: left in place, still logged
    controller->commands().moveFocusedWindow(3);
    EXPECT_EQ(messages(), (std::vector<std::string>{"No tiled window is focused.",
                                                    "Moved Editor — “a” to workspace 1.",
                                                    "Moved Editor — “a” to workspace 3."}));
    EXPECT_EQ(controller->manager().workspaceNumberOf(*controller->registry().idFor(a)), 3);
    EXPECT_TRUE(controller->parker().isParked(a));
    EXPECT_EQ(frame(b), (Rect{0, 0, 1200, 800})); // alone now
    EXPECT_EQ(desktop.focusedWindow(), b);        // focus passed to what is shown
}

TEST_F(CommandsTest, FloatingCentresAtSixtyPercentAndTilingPutsBack) {
    const Rect tiled = frame(a);
    desktop.focus(a);
    controller->commands().toggleFloat();
    EXPECT_EQ(frame(a), (Rect{240, 160, 720, 480}));
    EXPECT_EQ(frame(b), (Rect{0, 0, 1200, 800}));
    controller->commands().toggleFloat();
    EXPECT_EQ(frame(a), tiled);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Editor — “a” floats.", "Editor — “a” is tiled again."}));
}

TEST_F(CommandsTest, MainRatioStopsAtItsLimitsAndStillLaysOut) {
    settings.setMainRatio(0.8);
    desktop.clearOperations();
    controller->commands().adjustMainRatio(0.05);
    EXPECT_DOUBLE_EQ(settings.mainRatio(), 0.8);
    EXPECT_EQ(desktop.setFrameCount(a), 1); // every frame set again
    controller->commands().adjustMainRatio(-0.65);
    EXPECT_DOUBLE_EQ(settings.mainRatio(), 0.2);
    EXPECT_TRUE(messages().empty());
}

TEST_F(CommandsTest, PauseShowsEverythingOnceAndResumeTilesAgain) {
    controller->commands().switchToWorkspace(2);
    clearLog();
    controller->commands().setPaused(true);
    controller->commands().setPaused(true);
    EXPECT_EQ(controller->parker().count(), 0);
    controller->commands().switchToWorkspace(1); // the model changes; nothing moves
    desktop.userMove(a, {500, 500});
    controller->commands().setPaused(false);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Tiling paused; all windows shown.",
                                                    "Workspace 1 on S1.", "Tiling resumed."}));
    EXPECT_EQ(frame(a).x, 0);
}

TEST_F(CommandsTest, LayoutCommands) {
    controller->commands().setLayout(LayoutKind::monocle);
    controller->commands().cycleLayout();
    controller->commands().setLayoutForAllWorkspaces(LayoutKind::rows);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Layout Monocle for workspace 1.",
                                                    "Layout Columns for workspace 1.",
                                                    "Layout Rows for every workspace."}));
    EXPECT_EQ(settings.layoutsByWorkspace().at("5"), "rows");
    EXPECT_EQ(frame(a).width, 1200);
    controller->commands().reloadFromSettings({{"1", "grid"}}, {});
    EXPECT_EQ(controller->manager().workspaceRecord(1).layout, LayoutKind::grid);
    EXPECT_EQ(controller->manager().workspaceRecord(2).layout, settings.defaultLayout());
}

TEST_F(CommandsTest, SummariesOfTwoDisplaysShareCountsAndNotifyOnlyOnChange) {
    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 800, 600}));
    settle();
    int notified = 0;
    const auto subscription = controller->summaries().addObserver([&](const auto&) { ++notified; });
    EXPECT_TRUE(logged("Displays changed."));
    EXPECT_FALSE(controller->commands().assignWorkspace(42, DisplayID{"S2"}));
    EXPECT_TRUE(controller->commands().assignWorkspace(2, DisplayID{"S2"}));
    EXPECT_TRUE(logged("Workspace 2 now belongs to S2."));
    EXPECT_EQ(settings.workspaceDisplays().at("2"), "S2");
    const auto summaries = controller->summaries().get();
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[0].counts, summaries[1].counts);
    EXPECT_EQ(summaries[0].appPIDs, summaries[1].appPIDs);
    EXPECT_EQ(summaries[0].counts.at(1), 2);
    EXPECT_EQ(summaries[0].appPIDs.at(1), (std::vector<std::int32_t>{editor, term}));
    EXPECT_NE(summaries[0].numbers, summaries[1].numbers);
    EXPECT_EQ(summaries[1].frame, (Rect{1200, 0, 800, 600}));
    const int before = notified;
    controller->publishSummaries();
    EXPECT_EQ(notified, before);
    controller->commands().resetDefaultSplit();
    EXPECT_TRUE(logged("Workspaces split between screens by default again."));
}

TEST_F(CommandsTest, CurrentDisplayFallsBackToThePointerThenTheFirstScreen) {
    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 800, 600}));
    settle();
    controller.reset(); // a fresh controller: no focus and no display worked on yet
    makeController();
    desktop.clearFocus();
    mouse->moveTo({1500, 100});
    EXPECT_EQ(controller->currentDisplay(), DisplayID{"S2"});
    mouse->moveTo({-50, -50});
    EXPECT_EQ(controller->currentDisplay(), DisplayID{"S1"});
}

} // namespace
} // namespace morvanta::testing
