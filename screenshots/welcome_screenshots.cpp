// Renders every page of the welcome guide, and the permission page's other states, for people
// to look at (docs/images/welcome-*.png come from here).
#include "screenshots/screenshot_folder.h"
#include "tests/shell/welcome/welcome_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(WelcomeTest, ScreenshotsOfEveryPage) {
    desktop.openWindow(term, "~", {10, 10, 300, 200});
    startController();
    tilingWindowManager = true;
    auto view = makeView();
    for (int step = 0; step <= OnboardingView::lastStep; ++step) {
        view->showStep(step);
        EXPECT_TRUE(saveScreenshot(*view, "welcome-" + std::to_string(step + 1) + ".png"));
    }
}

TEST_F(WelcomeTest, ScreenshotsOfThePermissionStates) {
    desktop.setTrusted(false);
    startController();
    auto view = makeView(0ms);
    view->showStep(1);
    EXPECT_TRUE(saveScreenshot(*view, "welcome-2-needed.png"));
    desktop.setTrusted(true);
    loop.advance(1100ms);
    EXPECT_TRUE(saveScreenshot(*view, "welcome-2-no-windows.png"));
}

} // namespace
} // namespace morvanta::testing
