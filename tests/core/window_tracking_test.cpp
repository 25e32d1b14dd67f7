// The workspace manager's window side: adding, removing, moving, swapping, floating, focus,
// neighbours and reading manual resizes.
#include "core/core.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

const DisplayID A{"A"}, B{"B"};
const WindowID w1{1}, w2{2}, w3{3}, w4{4};

WorkspaceManager twoDisplays() {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    return manager;
}

TEST(WindowTracking, AddingPlacesOnTheShownWorkspaceOrAnExistingPreference) {
    WorkspaceManager manager = twoDisplays();
    EXPECT_EQ(manager.addWindow(w1, B), 6);
    EXPECT_EQ(manager.addWindow(w1, A, 3), 6);   // already tracked: nothing changes
    EXPECT_EQ(manager.addWindow(w2, A, 105), 1); // letter workspace that does not exist
    EXPECT_EQ(manager.addWindow(w3, A, 4), 4);
    EXPECT_FALSE(manager.isVisible(w3));
    EXPECT_TRUE(manager.isVisible(w1));
    // An unknown display is appended and the workspaces re-split before placing.
    EXPECT_EQ(manager.addWindow(w4, DisplayID{"C"}), 7);
    EXPECT_EQ(manager.displays().back(), DisplayID{"C"});
    EXPECT_EQ(manager.focused(), std::nullopt);
}

TEST(WindowTracking, RemovingClearsFocusFloatingAndWeights) {
    WorkspaceManager manager = twoDisplays();
    manager.addWindow(w1, A);
    manager.addWindow(w2, A);
    ASSERT_TRUE(manager
                    .applyResize(w2, {500, 0, 500, 800}, {400, 0, 600, 800},
                                 {{w1, {0, 0, 500, 800}}, {w2, {500, 0, 500, 800}}})
                    .sizesChanged);
    manager.setFloating(w1, true);
    manager.setFocused(w1);
    EXPECT_EQ(manager.removeWindow(w1), 1);
    EXPECT_EQ(manager.focused(), std::nullopt);
    EXPECT_FALSE(manager.isFloating(w1));
    EXPECT_EQ(manager.removeWindow(w1), std::nullopt);
    manager.removeWindow(w2);
    EXPECT_EQ(manager.workspaceRecord(1), (Workspace{1, LayoutKind::columns, {}, {}}));
    // Focus on a window the model never tracked is dropped when that window goes.
    manager.setFocused(w4);
    EXPECT_EQ(manager.removeWindow(w4), std::nullopt);
    EXPECT_EQ(manager.focused(), std::nullopt);
    manager.setFloating(w4, true); // untracked: no mark
    EXPECT_TRUE(manager.floatingWindows().empty());
}

TEST(WindowTracking, MovingKeepsFloatingDropsWeightAndHandsOnFocus) {
    WorkspaceManager manager = twoDisplays();
    manager.addWindow(w1, A);
    manager.addWindow(w2, A);
    manager.setFloating(w1, true);
    manager.setFocused(w1);
    manager.moveWindow(w1, 1);   // same workspace
    manager.moveWindow(w1, 105); // does not exist
    EXPECT_EQ(manager.workspaceNumberOf(w1), 1);
    manager.moveWindow(w1, 6); // shown on B: focus follows the window
    EXPECT_EQ(manager.focused(), w1);
    EXPECT_TRUE(manager.isFloating(w1));
    manager.moveWindow(w1, 7); // not shown: focus goes to the first window shown on B
    EXPECT_EQ(manager.focused(), std::nullopt);
    manager.setFocused(w2);
    manager.moveWindow(w2, 3);
    EXPECT_EQ(manager.focused(), std::nullopt);
    manager.addWindow(w3, A);
    manager.addWindow(w4, A);
    manager.setFocused(w3);
    manager.moveWindow(w3, 2);
    EXPECT_EQ(manager.focused(), w4);
    EXPECT_EQ(manager.workspaceRecord(2).windows, std::vector<WindowID>{w3});
}

TEST(WindowTracking, SwapExchangesPositionsAndLocationsButNotWeights) {
    WorkspaceManager manager = twoDisplays();
    manager.setLayout(LayoutKind::columns, 2);
    for (std::int64_t raw = 10; raw < 13; ++raw)
        manager.addWindow(WindowID{raw}, A, 2);
    manager.addWindow(w1, A, 1);
    manager.addWindow(w2, A, 2);
    manager.applyResize(w2, {600, 0, 200, 800}, {700, 0, 100, 800},
                        {{WindowID{10}, {0, 0, 200, 800}},
                         {WindowID{11}, {200, 0, 200, 800}},
                         {WindowID{12}, {400, 0, 200, 800}},
                         {w2, {600, 0, 200, 800}}});
    const auto weightsBefore = manager.workspaceRecord(2).weights;
    manager.swapWindows(w1, w2);
    EXPECT_EQ(manager.workspaceRecord(1).windows, std::vector<WindowID>{w2});
    EXPECT_EQ(manager.workspaceRecord(2).windows[3], w1);
    EXPECT_EQ(manager.workspaceNumberOf(w1), 2);
    EXPECT_EQ(manager.workspaceNumberOf(w2), 1);
    EXPECT_EQ(manager.workspaceRecord(2).weights, weightsBefore);
    manager.swapWindows(w1, w3); // untracked
    manager.swapWindows(w1, w1);
    EXPECT_EQ(manager.workspaceNumberOf(w1), 2);
}

TEST(WindowTracking, FocusFromOutsideShowsTheWorkspace) {
    WorkspaceManager manager = twoDisplays();
    manager.addWindow(w1, A, 3);
    manager.setFocused(w1);
    EXPECT_EQ(manager.active().at(A), 3);
    EXPECT_EQ(manager.previous(), std::nullopt); // the focused window was already there
    manager.setFocused(std::nullopt);
    EXPECT_EQ(manager.active().at(A), 3);
}

TEST(WindowTracking, NeighboursOnTheSameDisplayOnly) {
    WorkspaceManager manager = twoDisplays();
    for (WindowID w : {w1, w2, w3})
        manager.addWindow(w, A);
    manager.addWindow(w4, B);
    const std::map<WindowID, Rect> frames{{w1, {0, 0, 400, 800}},
                                          {w2, {400, 0, 400, 800}},
                                          {w3, {800, 0, 400, 800}},
                                          {w4, {1200, 0, 400, 800}}};
    EXPECT_EQ(manager.neighbor(w2, Direction::left, frames), w1);
    EXPECT_EQ(manager.neighbor(w2, Direction::right, frames), w3);
    EXPECT_EQ(manager.neighbor(w2, Direction::up, frames), std::nullopt);
    EXPECT_EQ(manager.neighbor(w2, Direction::down, frames), std::nullopt);
    EXPECT_EQ(manager.neighbor(w3, Direction::right, frames), std::nullopt); // w4 is on B
    EXPECT_EQ(manager.neighbor(WindowID{9}, Direction::left, frames), std::nullopt);
    // Equal scores: the smaller identity wins.
    const std::map<WindowID, Rect> stacked{
        {w3, {0, 0, 400, 400}}, {w1, {400, 0, 400, 400}}, {w2, {400, 400, 400, 400}}};
    EXPECT_EQ(manager.neighbor(w1, Direction::down, stacked), w2);
    EXPECT_EQ(manager.neighbor(w2, Direction::up, stacked), w1);
    const std::map<WindowID, Rect> tie{
        {w2, {0, 0, 100, 100}}, {w1, {200, -100, 100, 100}}, {w3, {200, 100, 100, 100}}};
    EXPECT_EQ(manager.neighbor(w2, Direction::right, tie), w1);
}

class ColumnResize : public ::testing::Test {
protected:
    void SetUp() override {
        manager.setDisplays({A});
        for (WindowID w : {w1, w2, w3})
            manager.addWindow(w, A);
    }
    ResizeOutcome dragRightEdgeOfMiddle(double by) {
        return manager.applyResize(w2, frames.at(w2), {400, 0, 400 + by, 800}, frames);
    }
    WorkspaceManager manager{LayoutKind::columns};
    std::map<WindowID, Rect> frames{
        {w1, {0, 0, 400, 800}}, {w2, {400, 0, 400, 800}}, {w3, {800, 0, 400, 800}}};
};

TEST_F(ColumnResize, MovesWidthBetweenNeighbours) {
    EXPECT_EQ(dragRightEdgeOfMiddle(100), (ResizeOutcome{true, std::nullopt}));
    EXPECT_EQ(manager.workspaceRecord(1).weights,
              (std::map<WindowID, double>{{w1, 1.0}, {w2, 1.25}, {w3, 0.75}}));
}

TEST_F(ColumnResize, KeepsEveryWindowAtATenth) {
    dragRightEdgeOfMiddle(1000);
    const auto weights = manager.workspaceRecord(1).weights;
    EXPECT_DOUBLE_EQ(weights.at(w2), 680.0 / 400);
    EXPECT_DOUBLE_EQ(weights.at(w3), 120.0 / 400);
}

TEST_F(ColumnResize, IgnoresSmallMovesAndIncompleteFrames) {
    EXPECT_EQ(dragRightEdgeOfMiddle(2), ResizeOutcome{});
    frames.erase(w3);
    EXPECT_EQ(dragRightEdgeOfMiddle(100), ResizeOutcome{});
    EXPECT_TRUE(manager.workspaceRecord(1).weights.empty());
}

TEST_F(ColumnResize, DegenerateFramesAnswerNothing) {
    for (auto& entry : frames)
        entry.second.width = 0;
    EXPECT_EQ(dragRightEdgeOfMiddle(100), ResizeOutcome{});
    EXPECT_TRUE(manager.workspaceRecord(1).weights.empty());
}

TEST(MainStackResize, SplitAndStackEdges) {
    WorkspaceManager manager(LayoutKind::mainStack);
    manager.setDisplays({A});
    for (WindowID w : {w1, w2, w3})
        manager.addWindow(w, A);
    const std::map<WindowID, Rect> frames{
        {w1, {0, 0, 580, 800}}, {w2, {580, 0, 420, 400}}, {w3, {580, 400, 420, 400}}};
    const ResizeOutcome main = manager.applyResize(w1, frames.at(w1), {0, 0, 680, 800}, frames);
    EXPECT_FALSE(main.sizesChanged);
    ASSERT_TRUE(main.mainRatio);
    EXPECT_NEAR(*main.mainRatio, 0.68, 1e-12);
    // A stack window's left edge dragged far: the ratio stops at its limit.
    EXPECT_EQ(manager.applyResize(w2, frames.at(w2), {0, 0, 1000, 400}, frames).mainRatio, 0.2);
    // Its bottom edge trades height with the next stack window.
    const ResizeOutcome stack = manager.applyResize(w2, frames.at(w2), {580, 0, 420, 500}, frames);
    EXPECT_EQ(stack, (ResizeOutcome{true, std::nullopt}));
    EXPECT_EQ(manager.workspaceRecord(1).weights,
              (std::map<WindowID, double>{{w2, 1.25}, {w3, 0.75}}));
    // The top edge of the first stack window has no neighbour above it.
    EXPECT_EQ(manager.applyResize(w2, frames.at(w2), {580, 50, 420, 350}, frames), ResizeOutcome{});
}

} // namespace
} // namespace morvanta
