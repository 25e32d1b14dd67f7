// The command interface's target in the application, over the controller on the fake desktop
// with the shortcut actions attached: the state it reads, each command reaching the same
// controller command (and log line) as the keys, refusals that change nothing, and the watch.
#include "app/ipc/controller_ipc_target.h"
#include "shortcut_actions_fixture.h"

namespace morvanta::testing {
namespace {

using Result = IpcTarget::Result;

class ControllerIpcTargetTest : public ShortcutActionsTest {
protected:
    void SetUp() override {
        launch();
        target =
            std::make_unique<ControllerIpcTarget>(*controller, settings, actions.get(), "1.2.3");
    }
    void TearDown() override { target.reset(); }

    std::unique_ptr<ControllerIpcTarget> target;
};

TEST_F(ControllerIpcTargetTest, StateShowsDisplaysWorkspacesAndWindows) {
    settings.setWorkspaceName("Mail", 2);
    const auto a = open(editor, "a");
    const auto b = open(editor, "b");
    settle();
    desktop.focus(b);
    settle();
    const IpcState state = target->state();
    EXPECT_EQ(state.version, "1.2.3");
    EXPECT_FALSE(state.paused);
    ASSERT_EQ(state.displays.size(), 1u);
    EXPECT_EQ(state.displays[0].name, "S1");
    EXPECT_EQ(state.displays[0].workspace, "1");
    ASSERT_EQ(state.workspaces.size(), 9u);
    EXPECT_EQ(state.workspaces[1].name, "Mail");
    EXPECT_EQ(state.workspaces[0].layout, "mainStack");
    EXPECT_EQ(state.workspaces[0].display, state.displays[0].id);
    const auto& windows = state.workspaces[0].windows;
    ASSERT_EQ(windows.size(), 2u);
    const auto& first = windows[0].id == a.id() ? windows[0] : windows[1];
    const auto& second = windows[0].id == a.id() ? windows[1] : windows[0];
    EXPECT_EQ(first.id, a.id());
    EXPECT_EQ(first.title, "a");
    EXPECT_EQ(first.app, "Editor");
    EXPECT_EQ(first.frame, frame(a));
    EXPECT_FALSE(first.focused);
    EXPECT_EQ(second.id, b.id());
    EXPECT_TRUE(second.focused);
}

TEST_F(ControllerIpcTargetTest, CommandsRunAsTheKeysDoAndRefusalsChangeNothing) {
    const auto a = open(editor, "a");
    settle();
    EXPECT_EQ(target->actionNames().front(), "switchToWorkspace1");
    EXPECT_EQ(target->actionNames().size(), actions->shortcutEntries().size());

    int changes = 0;
    const auto watch = target->watch([&] { ++changes; });
    EXPECT_EQ(target->runAction("switchToWorkspace2"), Result::done);
    EXPECT_TRUE(logged("Workspace 2 on S1."));
    EXPECT_GT(changes, 0);
    EXPECT_EQ(target->showWorkspace(1), Result::done);
    EXPECT_EQ(countLogged("Workspace 1 on S1."), 1);
    EXPECT_EQ(target->setLayout(LayoutKind::grid), Result::done);
    EXPECT_TRUE(logged("Layout Grid for workspace 1."));
    EXPECT_EQ(target->setPaused(true), Result::done);
    EXPECT_TRUE(target->paused());
    EXPECT_EQ(target->setPaused(false), Result::done);

    clearLog();
    EXPECT_EQ(target->runAction("switchToWorkspaceC"), Result::unknownAction);
    EXPECT_EQ(target->runAction("rm -rf"), Result::unknownAction);
    EXPECT_EQ(target->showWorkspace(103), Result::unknownWorkspace);
    EXPECT_EQ(target->moveFocusedWindow(103), Result::unknownWorkspace);
    EXPECT_TRUE(messages().empty());
    controller->addLetterWorkspace(103);
    EXPECT_EQ(target->runAction("switchToWorkspaceC"), Result::done);
    EXPECT_EQ(target->state().displays[0].workspace, "C");
    EXPECT_EQ(target->showWorkspace(1), Result::done);

    desktop.focus(a);
    EXPECT_EQ(target->moveFocusedWindow(2), Result::done);
    EXPECT_EQ(target->state().workspaces[1].windows.size(), 1u);
}

TEST_F(ControllerIpcTargetTest, WithoutShortcutsOrAFocusedWindowThoseCommandsAreRefused) {
    ControllerIpcTarget bare(*controller, settings, nullptr, "");
    EXPECT_TRUE(bare.actionNames().empty());
    EXPECT_EQ(bare.runAction("nextLayout"), Result::unknownAction);
    // No window at all: refused, with the controller's own line.
    EXPECT_EQ(bare.moveFocusedWindow(2), Result::noFocusedWindow);
    EXPECT_TRUE(logged("No tiled window is focused."));
}

} // namespace
} // namespace morvanta::testing
