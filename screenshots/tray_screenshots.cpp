// The tray's open menu in a real tray host, for people to look at (docs/images/tray-menu.png
// comes from here).
#include "screenshots/screenshot_folder.h"
#include "tests/shell/tray/tray_host_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(TrayHostTest, MenuBelowTheIcon) {
    ASSERT_TRUE(openMenu());
    pumpUntil([] { return false; }, std::chrono::milliseconds(300)); // lets it paint
    const QRect menu = item->menu().menu().geometry();
    const QRect area = QRect(menu.left() - 20, 0, 0, 0)
                           .united(menu.adjusted(-20, 0, 20, 20))
                           .united(place.adjusted(-20, 0, 20, 0))
                           .intersected(QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(grab(area).save(QString::fromStdString(screenshotPath("tray-menu.png").string())));
    item->menu().menu().hide();
}

} // namespace
} // namespace morvanta::testing
