// The tray item in a real tray host: the icon is embedded at the right end of the top edge,
// shows the white filled cell of the current workspace, and its menu opens.
#include "tests/shell/tray/tray_host_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(TrayHostTest, IconShowsTheWorkspaceAndTheMenuOpens) {
    EXPECT_LE(place.top(), 28);
    ASSERT_TRUE(pumpUntil(
        [&] {
            const QImage shot = grab(place);
            int white = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    white += shot.pixelColor(x, y).lightness() > 245;
            return white > place.width() * place.height() / 5;
        },
        std::chrono::seconds(10)));
    EXPECT_TRUE(openMenu());
    item->menu().menu().hide();
}

} // namespace
} // namespace morvanta::testing
