// Renders every tab of the settings window for people to look at (docs/images/settings-*.png
// come from here): two screens with windows, a letter workspace, a rule and a drop message.
#include "app/shell/settings_window/displays_tab.h"
#include "app/shell/settings_window/screen_arrangement.h"
#include "app/shell/settings_window/screen_tile.h"
#include "app/shell/settings_window/workspaces_tab.h"
#include "screenshots/screenshot_folder.h"
#include "tests/shell/settings_window/settings_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(SettingsTest, ScreenshotsOfEveryTab) {
    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, -200, 1000, 700}));
    desktop.openWindow(editor, "notes", {10, 10, 300, 200});
    desktop.openWindow(term, "shell", {40, 40, 300, 200});
    desktop.openWindow(term, "logs", {1300, 40, 300, 200});
    settings.setInnerGap(8);
    settings.setOuterGap(8);
    start();
    auto& w = openWindow();
    // Tall enough that the Layout page shows its sliders without scrolling.
    w.resize(860, 900);
    w.workspacesTab()->setAdvancedShown(true);
    w.workspacesTab()->addLetter(103);
    settings.setAppRules({{"XTerm", "XTerm", 2, false, false},
                          {"org.example.Editor", "Editor", std::nullopt, true, true}});
    DisplaysTab* displays = w.displaysTab();
    displays->drop({"3"}, controller->summaries().get().back());
    QApplication::processEvents();
    for (SettingsTab tab : allSettingsTabs) {
        w.showTab(tab);
        EXPECT_TRUE(saveScreenshot(w, "settings-" + std::string(rawValue(tab)) + ".png"));
    }
    // The hover highlight of a dragged chip.
    w.showTab(SettingsTab::displays);
    displays->arrangement()->setTargeted(DisplayID{"S2"});
    EXPECT_TRUE(saveScreenshot(w, "settings-displays-drag.png"));
}

} // namespace
} // namespace morvanta::testing
