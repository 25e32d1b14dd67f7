// The workspace manager's workspace side: sharing workspaces between displays, unplugging,
// letter workspaces, layouts, stored strings and switching.
#include "core/core.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

const DisplayID A{"A"}, B{"B"}, C{"C"}, D{"D"};

std::vector<int> ownedBy(const WorkspaceManager& manager, const DisplayID& display) {
    return manager.workspacesOnDisplay(display);
}

TEST(WorkspaceDisplays, DefaultSplitByDisplayCount) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    EXPECT_EQ(ownedBy(manager, A), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ownedBy(manager, B), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(manager.active(), (std::map<DisplayID, int>{{A, 1}, {B, 6}}));

    manager.setDisplays({A, B, C, D});
    EXPECT_EQ(ownedBy(manager, C), (std::vector<int>{7, 8, 9}));
    EXPECT_TRUE(ownedBy(manager, D).empty());
    EXPECT_FALSE(manager.active().contains(D));
    EXPECT_EQ(manager.activeWorkspaceNumber(D), 1); // fallback for a display owning nothing

    manager.setDisplays({A, B, C, D, DisplayID{"E"}});
    EXPECT_EQ(ownedBy(manager, D), (std::vector<int>{7, 8}));
    EXPECT_EQ(ownedBy(manager, DisplayID{"E"}), (std::vector<int>{9}));
}

TEST(WorkspaceDisplays, MovingAWorkspaceFreezesTheSplit) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    EXPECT_TRUE(manager.moveWorkspace(5, B));
    EXPECT_EQ(ownedBy(manager, A), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ownedBy(manager, B), (std::vector<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(manager.assignment().size(), 9u);
    EXPECT_FALSE(manager.moveWorkspace(5, B));   // already there
    EXPECT_FALSE(manager.moveWorkspace(5, C));   // not connected
    EXPECT_FALSE(manager.moveWorkspace(101, B)); // does not exist
    for (int n : {2, 3, 4})
        EXPECT_TRUE(manager.moveWorkspace(n, B));
    EXPECT_FALSE(manager.moveWorkspace(1, B)); // A would be left with nothing
    manager.resetAssignments();
    EXPECT_EQ(ownedBy(manager, A), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(WorkspaceDisplays, AssignmentsOfAbsentDisplaysFallBackToTheDefaultSplit) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.applyAssignmentStrings({{"3", "B"},
                                    {"+4", "B"},
                                    {"x", "B"},
                                    {"10", "B"},
                                    {"103", "C"},
                                    {"99999999999", "B"},
                                    {"4 ", "B"}});
    EXPECT_EQ(manager.assignmentStrings(),
              (std::map<std::string, std::string>{{"3", "B"}, {"4", "B"}, {"103", "C"}}));
    manager.setLetterWorkspaces({103});
    manager.setDisplays({A, B});
    // A owns nothing explicitly, so the default split rules; the letter's display is absent.
    EXPECT_EQ(ownedBy(manager, A), (std::vector<int>{1, 2, 3, 4, 5, 103}));
    manager.setDisplays({A, B, C});
    // Still no explicit workspace on A: default split, letter 103 follows its assignment.
    EXPECT_EQ(ownedBy(manager, C), (std::vector<int>{7, 8, 9, 103}));
}

TEST(WorkspaceDisplays, UnpluggingMovesTheShownWindowsToTheSurvivingDisplay) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    manager.switchToWorkspace(7);
    manager.addWindow(WindowID{1}, B);
    manager.addWindow(WindowID{2}, B);
    manager.addWindow(WindowID{3}, B, 8); // on a workspace B does not show
    manager.addWindow(WindowID{4}, A);
    manager.setDisplays({A});
    EXPECT_EQ(manager.workspaceRecord(1).windows,
              (std::vector<WindowID>{WindowID{4}, WindowID{1}, WindowID{2}}));
    EXPECT_TRUE(manager.workspaceRecord(7).windows.empty());
    EXPECT_TRUE(manager.workspaceRecord(7).weights.empty());
    EXPECT_EQ(manager.workspaceNumberOf(WindowID{3}), 8);
    EXPECT_EQ(ownedBy(manager, A).size(), 9u);
}

TEST(WorkspaceDisplays, UnpluggingADisplayThatOwnedNothingStrandsNothing) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B, C, D});
    manager.addWindow(WindowID{1}, A);
    manager.switchToWorkspace(2);
    manager.setDisplays({A, B, C});
    EXPECT_EQ(manager.workspaceNumberOf(WindowID{1}), 1);
}

TEST(WorkspaceDisplays, UnpluggingEverythingKeepsWindowsAndPrevious) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A});
    manager.addWindow(WindowID{1}, A, 3);
    manager.switchToWorkspace(2);
    manager.setDisplays({});
    EXPECT_TRUE(manager.owners().empty());
    EXPECT_TRUE(manager.active().empty());
    EXPECT_EQ(manager.previous(), 1);
    EXPECT_EQ(manager.workspaceNumberOf(WindowID{1}), 3);
    EXPECT_EQ(manager.displayForWorkspace(3), std::nullopt);
    EXPECT_EQ(manager.locationOf(WindowID{1}), std::nullopt);
}

TEST(WorkspaceDisplays, LetterWorkspacesAreCleanedAndRemovedSafely) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setLetterWorkspaces({103, 101, 101, 99, 127});
    EXPECT_EQ(manager.letterWorkspaces(), (std::vector<int>{101, 103}));
    EXPECT_EQ(manager.allWorkspaceNumbers().back(), 103);

    manager.setDisplays({A, B});
    EXPECT_TRUE(manager.moveWorkspace(101, B));
    manager.switchToWorkspace(101);
    manager.addWindow(WindowID{1}, B);
    manager.addWindow(WindowID{2}, B);
    manager.setLetterWorkspaces({103});
    EXPECT_FALSE(manager.workspaces().contains(101));
    EXPECT_FALSE(manager.assignment().contains(101));
    EXPECT_EQ(manager.active().at(B), 6);
    EXPECT_EQ(manager.workspaceRecord(6).windows,
              (std::vector<WindowID>{WindowID{1}, WindowID{2}}));
    EXPECT_EQ(manager.locationOf(WindowID{1}), (WindowLocation{B, 6}));
}

TEST(WorkspaceDisplays, LayoutsAndTheirStoredStrings) {
    WorkspaceManager manager(LayoutKind::mainStack);
    manager.applyLayoutStrings(
        {{"3", "grid"}, {"x", "rows"}, {"10", "rows"}, {"104", "monocle"}, {"4", "Grid"}});
    EXPECT_EQ(manager.layoutStrings(),
              (std::map<std::string, std::string>{{"3", "grid"}, {"104", "monocle"}}));
    EXPECT_EQ(manager.workspaceRecord(5).layout, LayoutKind::mainStack);
    manager.setDefaultLayout(LayoutKind::rows);
    EXPECT_EQ(manager.workspaceRecord(5).layout, LayoutKind::rows);
    EXPECT_EQ(manager.workspaceRecord(3).layout, LayoutKind::grid);

    manager.setDisplays({A});
    manager.addWindow(WindowID{1}, A, 3);
    manager.addWindow(WindowID{2}, A, 3);
    manager.setLayout(LayoutKind::columns, 3);
    ASSERT_TRUE(
        manager
            .applyResize(WindowID{1}, {0, 0, 500, 800}, {0, 0, 600, 800},
                         {{WindowID{1}, {0, 0, 500, 800}}, {WindowID{2}, {500, 0, 500, 800}}})
            .sizesChanged);
    manager.setLayout(LayoutKind::columns, 3); // same layout keeps the weights
    EXPECT_EQ(manager.workspaceRecord(3).weights.size(), 2u);
    manager.setLayout(LayoutKind::rows, 3);
    EXPECT_TRUE(manager.workspaceRecord(3).weights.empty());
}

TEST(WorkspaceDisplays, SwitchingStaysOnTheOwningDisplayAndToggles) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    manager.addWindow(WindowID{1}, A, 7);
    manager.switchToWorkspace(7);
    EXPECT_EQ(manager.active(), (std::map<DisplayID, int>{{A, 1}, {B, 7}}));
    EXPECT_EQ(manager.focused(), WindowID{1});
    EXPECT_EQ(manager.previous(), 6);
    manager.switchToWorkspace(2); // focused window is on 7: that is where we came from
    EXPECT_EQ(manager.previous(), 7);
    EXPECT_EQ(manager.focused(), std::nullopt);
    manager.switchToWorkspace(104); // letter workspace that does not exist
    manager.switchToWorkspace(0);
    EXPECT_EQ(manager.active(), (std::map<DisplayID, int>{{A, 2}, {B, 7}}));

    manager.switchToWorkspace(3);
    manager.switchToPrevious();
    EXPECT_EQ(manager.active().at(A), 2);
    manager.switchToPrevious();
    EXPECT_EQ(manager.active().at(A), 3);
}

} // namespace
} // namespace morvanta
