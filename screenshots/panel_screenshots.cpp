// Renders both modes of the command panel over a lived-in desktop, for people to look at
// (docs/images/command-panel.png and workspace-picker.png come from here).
#include "app/commands/key_panel.h"
#include "screenshots/screenshot_folder.h"
#include "tests/gui_panel/panel_fixture.h"

#include <QListWidget>

namespace morvanta::testing {
namespace {

class PanelScreenshots : public PanelTest {
protected:
    // The system's desktop entries and icons as well as the sandbox's, as on a real desktop.
    void lookLived() {
        sandbox.set("XDG_DATA_DIRS",
                    sandbox.systemData().string() + ":/usr/local/share:/usr/share");
        const auto xterm = desktop.addApp("xterm", "XTerm");
        const auto vim = desktop.addApp("vim", "Vim");
        const auto browser = desktop.addApp("Firefox", "Firefox");
        desktop.openWindow(xterm, "~", {0, 0, 500, 300});
        desktop.openWindow(vim, "notes.md", {0, 0, 500, 300});
        desktop.openWindow(xterm, "~/src", {0, 0, 500, 300});
        auto web = desktop.openWindow(browser, "News", {0, 0, 500, 300});
        auto editor2 = desktop.openWindow(editor, "todo.txt", {0, 0, 500, 300});
        auto build = desktop.openWindow(xterm, "build", {0, 0, 500, 300});
        startController();
        desktop.focus(web);
        controller->commands().moveFocusedWindow(2);
        desktop.focus(editor2);
        controller->commands().moveFocusedWindow(2);
        desktop.focus(build);
        controller->commands().moveFocusedWindow(4);
        controller->commands().switchToWorkspace(1);
        loop.advance(200ms);
    }
};

TEST_F(PanelScreenshots, BothModes) {
    lookLived();
    makePanel().show(CommandPanelController::Mode::actions);
    panel->view()->moveSelection(+1);
    panel->view()->moveSelection(+1);
    EXPECT_TRUE(saveScreenshot(*panel->panel(), "command-panel.png"));

    panel->view()->setQuery("move 3");
    EXPECT_TRUE(saveScreenshot(*panel->panel(), "command-panel-filtered.png"));
    panel->view()->setQuery("zz");
    EXPECT_TRUE(saveScreenshot(*panel->panel(), "command-panel-no-match.png"));
    panel->hide(false);

    panel->show(CommandPanelController::Mode::workspaces);
    panel->view()->moveSelection(+1);
    EXPECT_TRUE(saveScreenshot(*panel->panel(), "workspace-picker.png"));
}

} // namespace
} // namespace morvanta::testing
