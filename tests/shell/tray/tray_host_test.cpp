// The tray item in a real tray host: the icon is embedded at the right end of the top edge,
// shows the white filled cell of the current workspace, and its menu opens.
#include "tests/shell/tray/tray_host_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(TrayHostTest, IconShowsTheWorkspaceAndTheMenuOpens) {
    // The tray lays its icons out again as it learns their sizes, so the icon's place is read
    // afresh with every look.
    int white = 0;
    const bool shown = pumpUntil(
        [&] {
            place = item->systemTrayIcon().geometry();
            const QImage shot = grab(place);
            white = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    white += shot.pixelColor(x, y).lightness() > 245;
            return white > place.width() * place.height() / 5;
        },
        std::chrono::seconds(10));
    ASSERT_TRUE(shown) << white << " white pixels at " << place.x() << "," << place.y() << " "
                       << place.width() << "x" << place.height() << ", tooltip \""
                       << item->systemTrayIcon().toolTip().toStdString() << "\"";
    EXPECT_LE(place.top(), 28);
    EXPECT_TRUE(openMenu());
    item->menu().menu().hide();
}

} // namespace
} // namespace morvanta::testing
