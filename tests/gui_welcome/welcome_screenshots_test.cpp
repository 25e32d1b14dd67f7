// Renders every page of the welcome guide, and the permission page's other states, for people
// to look at (docs/images/welcome-*.png come from here). Checks only that the files were written.
#include "tests/gui_welcome/welcome_fixture.h"

#include <QPixmap>
#include <filesystem>

namespace morvanta::testing {
namespace {

const std::filesystem::path folder = MORVANTA_SCREENSHOT_DIR;

bool save(QWidget& widget, const std::string& name) {
    std::filesystem::create_directories(folder);
    QApplication::processEvents();
    const auto path = folder / name;
    return widget.grab().save(QString::fromStdString(path.string()), "PNG") &&
           std::filesystem::file_size(path) > 0;
}

TEST_F(WelcomeTest, ScreenshotsOfEveryPage) {
    desktop.openWindow(app, "~", {10, 10, 300, 200});
    startController();
    tilingWindowManager = true;
    auto view = makeView();
    for (int step = 0; step <= OnboardingView::lastStep; ++step) {
        view->showStep(step);
        EXPECT_TRUE(save(*view, "welcome-" + std::to_string(step + 1) + ".png"));
    }
}

TEST_F(WelcomeTest, ScreenshotsOfThePermissionStates) {
    desktop.setTrusted(false);
    startController();
    auto view = makeView(0ms);
    view->showStep(1);
    EXPECT_TRUE(save(*view, "welcome-2-needed.png"));
    desktop.setTrusted(true);
    loop.advance(1100ms);
    EXPECT_TRUE(save(*view, "welcome-2-no-windows.png"));
}

} // namespace
} // namespace morvanta::testing
