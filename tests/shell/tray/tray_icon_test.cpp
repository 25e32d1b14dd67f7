// The tray item's images on Qt's offscreen platform: the active label is a filled rounded cell
// with the glyph cut out of it (transparent, not painted over), other labels are plain glyphs,
// the ink follows the panel, the state images differ from each other, and the label and tooltip
// follow the controller's state.
#include "app/shell/tray/tray_item.h"
#include "tests/shell/tray/tray_fixture.h"
#include "tests/support/gui_application.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

constexpr double scale = 4; // a 72 × 64 image of the 18 × 16 cell

int alphaAt(const QImage& image, double x, double y) {
    return qAlpha(image.pixel(qRound(x * scale), qRound(y * scale)));
}

// Pixels inside the cell's inner area (the glyph's box) that are fully transparent / opaque.
std::pair<int, int> innerCounts(const QImage& image, double x0) {
    int clear = 0, opaque = 0;
    for (int y = qRound(3 * scale); y < qRound(13 * scale); ++y)
        for (int x = qRound((x0 + 4) * scale); x < qRound((x0 + 14) * scale); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            clear += alpha == 0;
            opaque += alpha == 255;
        }
    return {clear, opaque};
}

TEST(TrayIconPainter, ActiveLabelIsTheGlyphCutOutOfAFilledCell) {
    guiApplication();
    for (const int number : {4, 8, 102 /* B */, 126 /* Z */}) {
        const QImage image = TrayIconPainter::labels({number}, number, Qt::black, scale);
        ASSERT_EQ(image.size(), QSize(72, 64));
        // Filled along the edges, rounded off at the very corner.
        EXPECT_EQ(alphaAt(image, 1, 8), 255) << number;
        EXPECT_EQ(alphaAt(image, 9, 0.5), 255) << number;
        EXPECT_EQ(alphaAt(image, 0.1, 0.1), 0) << number;
        EXPECT_EQ(QColor(image.pixel(qRound(1 * scale), qRound(8 * scale))).rgb() & 0xFFFFFF, 0u);
        // The glyph shows as holes through the fill, and it is no small speck.
        const auto [clear, opaque] = innerCounts(image, 0);
        EXPECT_GT(clear, 150) << number;
        EXPECT_GT(opaque, 150) << number;
    }
}

TEST(TrayIconPainter, InactiveLabelsArePlainGlyphsBesideTheActiveOne) {
    guiApplication();
    const QImage image = TrayIconPainter::labels({1, 2}, 2, Qt::white, scale);
    ASSERT_EQ(image.size(), QSize(qRound(39 * scale), 64));
    // Cell 0: no fill, only the glyph in white.
    EXPECT_EQ(alphaAt(image, 1, 8), 0);
    const auto [clear0, opaque0] = innerCounts(image, 0);
    EXPECT_GT(opaque0, 30);
    EXPECT_GT(clear0, opaque0);
    // Cell 1 starts after the 3-point gap, filled.
    EXPECT_EQ(alphaAt(image, 19.5, 1), 0); // the gap
    EXPECT_EQ(alphaAt(image, 22, 8), 255);
    EXPECT_TRUE(nearColor(QColor(image.pixel(qRound(22 * scale), qRound(8 * scale))), Qt::white));
}

TEST(TrayIconPainter, InkSuitsThePanelAndIconsCarryEverySize) {
    guiApplication();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_EQ(TrayIconPainter::inkFor(dark), QColor(Qt::white));
    EXPECT_EQ(TrayIconPainter::inkFor(light), QColor(Qt::black));

    const QIcon icon = TrayIconPainter::labelIcon(3, Qt::white);
    for (const int size : TrayIconPainter::iconSizes()) {
        const QImage image = icon.pixmap(size, size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // Every size shows the cut-out glyph inside the filled cell.
        int clear = 0, filled = 0;
        for (int y = size / 4; y < size * 3 / 4; ++y)
            for (int x = size / 4; x < size * 3 / 4; ++x) {
                clear += qAlpha(image.pixel(x, y)) < 128;
                filled += qAlpha(image.pixel(x, y)) >= 128;
            }
        EXPECT_GT(clear, size * size / 40) << size;
        EXPECT_GT(filled, size * size / 40) << size;
    }
}

TEST(TrayIconPainter, StateImagesAreDistinct) {
    guiApplication();
    const QImage noPermission = TrayIconPainter::state(TrayState::noPermission, Qt::black, 32);
    const QImage paused = TrayIconPainter::state(TrayState::paused, Qt::black, 32);
    const QImage noDisplays = TrayIconPainter::state(TrayState::noDisplays, Qt::black, 32);
    EXPECT_NE(noPermission, paused);
    EXPECT_NE(noPermission, noDisplays);
    EXPECT_NE(paused, noDisplays);
    // The slash crosses the top-left corner; the pause bars fill the middle of their cell.
    EXPECT_GT(qAlpha(noPermission.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(noDisplays.pixel(2, 2)), 0);
    EXPECT_GT(qAlpha(paused.pixel(qRound(7 * 32 / 18.0), 16)), 200);
    EXPECT_EQ(qAlpha(noDisplays.pixel(qRound(7 * 32 / 18.0), 16)), 0);
}

TEST(TrayItem, LabelAndTooltipFollowTheControllerState) {
    guiApplication();
    TrayDesktop d;
    d.desktop.setTrusted(false);
    d.settings.setLetterWorkspaces({102});
    d.startController();
    TrayItem item(*d.controller, d.settings, d.updater, {});
    EXPECT_EQ(item.label().state(), TrayState::noPermission);
    EXPECT_EQ(item.systemTrayIcon().toolTip(), "Morvanta, X11 session needed");

    d.desktop.setTrusted(true);
    d.loop.advance(std::chrono::milliseconds(1100));
    EXPECT_EQ(item.label().state(), TrayState::workspace);
    EXPECT_EQ(item.systemTrayIcon().toolTip(), "Morvanta, workspace 1");

    d.controller->commands().switchToWorkspace(102);
    EXPECT_EQ(item.systemTrayIcon().toolTip(), "Morvanta, workspace B");
    const QImage shown = item.systemTrayIcon().icon().pixmap(32, 32).toImage();
    const QImage expected =
        TrayIconPainter::label(102, TrayIconPainter::inkFor(QApplication::palette()), 32);
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
              expected.convertToFormat(QImage::Format_ARGB32));

    d.controller->commands().setPaused(true);
    EXPECT_EQ(item.label().state(), TrayState::paused);
    EXPECT_EQ(item.systemTrayIcon().toolTip(), "Morvanta, tiling paused");
}

} // namespace
} // namespace morvanta::testing
