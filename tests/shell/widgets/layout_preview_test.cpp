#include "app/shell/widgets/layout_card.h"
#include "app/shell/widgets/layout_preview.h"
#include "app/shell/widgets/layout_preview_geometry.h"
#include "tests/support/gui_application.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

using testing::blend;
using testing::nearColor;

constexpr LayoutOptions cardOptions{24, 24, 0.58};

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.width, expected.width, 1e-9);
    EXPECT_NEAR(actual.height, expected.height, 1e-9);
}

QImage render(const LayoutPreview& preview, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::magenta); // anything the preview leaves unpainted shows up
    QPainter painter(&image);
    preview.paint(painter, QSizeF(size));
    return image;
}

TEST(LayoutPreviewGeometry, ScalesStripAndGapsWithTheScreen) {
    const auto g =
        LayoutPreviewGeometry::compute({288, 180}, LayoutKind::columns, 4, cardOptions, 1440);
    EXPECT_DOUBLE_EQ(g.scale, 0.2);
    EXPECT_NEAR(g.stripHeight, 4.8, 1e-12);
    EXPECT_DOUBLE_EQ(g.cornerRadius, 2); // 8 × 0.2 = 1.6 is below the smallest radius
    expectRect(g.tilingArea, {0, 4.8, 288, 175.2});
    // Outer gap 4.8 around, inner gaps 4.8 between four equal columns of (288 − 2·4.8 − 3·4.8)/4.
    ASSERT_EQ(g.tiles.size(), 4u);
    for (int i = 0; i < 4; ++i)
        expectRect(g.tiles[i], {4.8 + i * (66 + 4.8), 9.6, 66, 165.6});

    const auto large =
        LayoutPreviewGeometry::compute({1440, 900}, LayoutKind::columns, 1, cardOptions, 720);
    EXPECT_DOUBLE_EQ(large.stripHeight, 48);
    EXPECT_DOUBLE_EQ(large.cornerRadius, 16);
}

TEST(LayoutPreviewGeometry, MonocleDrawsOneTileAndNoWindowsDrawNone) {
    const auto monocle =
        LayoutPreviewGeometry::compute({288, 180}, LayoutKind::monocle, 4, cardOptions, 1440);
    ASSERT_EQ(monocle.tiles.size(), 1u);
    expectRect(monocle.tiles[0], {4.8, 9.6, 278.4, 165.6});

    for (LayoutKind kind : allLayoutKinds) {
        const auto empty = LayoutPreviewGeometry::compute({288, 180}, kind, 0, cardOptions, 1440);
        EXPECT_TRUE(empty.tiles.empty());
        EXPECT_NEAR(empty.stripHeight, 4.8, 1e-12);
    }
    EXPECT_TRUE(LayoutPreviewGeometry::compute({288, 180}, LayoutKind::grid, -3, cardOptions, 1440)
                    .tiles.empty());
}

TEST(LayoutPreviewGeometry, TinyPreviewsKeepStripCornersAndOnePointTiles) {
    // s = 0.05: the strip would be 1.2 and the corners 0.4.
    const auto tiny =
        LayoutPreviewGeometry::compute({72, 45}, LayoutKind::mainStack, 4, cardOptions, 1440);
    EXPECT_DOUBLE_EQ(tiny.scale, 0.05);
    EXPECT_DOUBLE_EQ(tiny.stripHeight, 4);
    EXPECT_DOUBLE_EQ(tiny.cornerRadius, 2);
    EXPECT_EQ(tiny.tiles.size(), 4u);

    // Far more windows than points, and a preview hardly taller than its strip.
    for (Size size : {Size{72, 45}, Size{72, 5}, Size{3, 2}}) {
        for (LayoutKind kind : allLayoutKinds) {
            const auto g = LayoutPreviewGeometry::compute(size, kind, 80, cardOptions, 1440);
            EXPECT_DOUBLE_EQ(g.stripHeight, 4);
            EXPECT_GE(g.tilingArea.height, 0);
            for (const Rect& tile : g.tiles) {
                EXPECT_GE(tile.width, 1);
                EXPECT_GE(tile.height, 1);
            }
        }
    }
}

TEST(LayoutPreviewGeometry, UnknownScreenWidthDrawsUnscaled) {
    for (double width : {0.0, -1440.0, std::nan("")}) {
        const auto g =
            LayoutPreviewGeometry::compute({288, 180}, LayoutKind::columns, 2, cardOptions, width);
        EXPECT_DOUBLE_EQ(g.scale, 1);
        EXPECT_DOUBLE_EQ(g.stripHeight, 24);
        ASSERT_EQ(g.tiles.size(), 2u);
        EXPECT_DOUBLE_EQ(g.tiles[0].x, 24);
    }
}

class LayoutPreviewPainting : public ::testing::Test {
protected:
    void SetUp() override { testing::guiApplication(); }
    const QColor desktop = LayoutPreview::desktopColor();
    const QColor strip = blend(Qt::white, 0.85, LayoutPreview::desktopColor());
};

TEST_F(LayoutPreviewPainting, NoWindowsPaintsBackgroundAndStripOnly) {
    LayoutPreview preview(LayoutKind::grid);
    preview.setCount(0);
    const QImage image = render(preview, {288, 180});
    for (int y = 0; y < 180; y += 3) {
        for (int x = 0; x < 288; x += 3) {
            const QColor expected = y < 4 ? strip : desktop;
            ASSERT_TRUE(nearColor(image.pixelColor(x, y), expected, 1)) << x << "," << y;
        }
    }
}

TEST_F(LayoutPreviewPainting, TilesAreWhiteWithOutlinesAndGapsBetween) {
    LayoutPreview preview(LayoutKind::columns);
    preview.setOptions(cardOptions);
    const QImage image = render(preview, {288, 180});
    // Tile 0 spans x 4.8 … 70.8, tile 1 75.6 … 141.6; both y 9.6 … 175.2.
    EXPECT_TRUE(nearColor(image.pixelColor(37, 90), Qt::white, 0));
    EXPECT_TRUE(nearColor(image.pixelColor(108, 90), blend(Qt::white, 0.88, desktop)));
    EXPECT_TRUE(nearColor(image.pixelColor(73, 90), desktop, 1)); // in the gap
    EXPECT_TRUE(nearColor(image.pixelColor(2, 90), desktop, 1));  // in the outer gap
    // The 1-point outline lies inside the tile: the tile's outermost pixel column is darker
    // than its inside, the gap beside it untouched.
    const QColor edge = image.pixelColor(76, 90);
    EXPECT_LT(edge.red(), image.pixelColor(78, 90).red() - 40);
    EXPECT_TRUE(nearColor(image.pixelColor(74, 90), desktop, 1));

    // A focus border replaces tile 0's outline with its own colour and unscaled width.
    preview.setBorderColor(QColor(255, 0, 0));
    preview.setBorderWidth(3);
    const QImage bordered = render(preview, {288, 180});
    EXPECT_TRUE(nearColor(bordered.pixelColor(6, 90), QColor(255, 0, 0), 2));
    EXPECT_TRUE(nearColor(bordered.pixelColor(10, 90), Qt::white, 0));
    EXPECT_TRUE(nearColor(bordered.pixelColor(78, 90), image.pixelColor(78, 90), 0));
}

class LayoutCardTest : public ::testing::Test {
protected:
    void SetUp() override { testing::guiApplication(); }
};

TEST_F(LayoutCardTest, ShowsItsLayoutAndTwoDescriptionLines) {
    LayoutCard card(LayoutKind::mainStack, false, {});
    card.resize(card.sizeHint());
    card.show();
    EXPECT_EQ(card.preview()->layoutKind(), LayoutKind::mainStack);
    // The whole description, wrapped into the card's two lines.
    EXPECT_EQ(card.shownDescription().count('\n'), 1);
    EXPECT_EQ(card.shownDescription().replace('\n', ' '), "One big window, the rest stacked");

    // Cards of every layout are the same height, whatever their description's length.
    LayoutCard grid(LayoutKind::grid, false, {});
    EXPECT_EQ(grid.sizeHint().height(), card.sizeHint().height());
}

TEST_F(LayoutCardTest, LongDescriptionsAreCutToTwoLines) {
    QWidget holder; // lets the card be narrower than its contents would like
    auto* card = new LayoutCard(LayoutKind::monocle, false, {}, &holder);
    QFont big = card->font();
    big.setPointSize(30);
    card->setFont(big);
    card->setGeometry(0, 0, 160, 400);
    const QString shown = card->shownDescription();
    EXPECT_EQ(shown.count('\n'), 1) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
}

TEST_F(LayoutCardTest, OutlineFollowsSelectionInPaletteColours) {
    bool clicked = false;
    LayoutCard card(LayoutKind::rows, true, [&] { clicked = true; });
    card.resize(card.sizeHint());
    card.show();
    const QColor accent = card.palette().color(QPalette::Highlight);
    EXPECT_EQ(card.outlineColor(), accent);
    EXPECT_EQ(card.outlineWidth(), 2);
    const QImage selected = card.grab().toImage();
    const int middle = selected.width() / 2;
    EXPECT_TRUE(nearColor(selected.pixelColor(middle, 0), accent, 1));
    EXPECT_TRUE(nearColor(selected.pixelColor(middle, 1), accent, 1));

    card.setSelected(false);
    QColor secondary = card.palette().color(QPalette::PlaceholderText);
    EXPECT_EQ(card.outlineWidth(), 1);
    EXPECT_NEAR(card.outlineColor().alphaF(), secondary.alphaF() * 0.25, 0.01);
    secondary.setAlphaF(1);
    EXPECT_EQ(card.outlineColor().rgb(), secondary.rgb());
    const QImage plain = card.grab().toImage();
    EXPECT_FALSE(nearColor(plain.pixelColor(middle, 0), accent, 10));
    EXPECT_TRUE(nearColor(plain.pixelColor(middle, 1), plain.pixelColor(middle, 4), 1));

    // A click on the preview inside the card belongs to the card.
    QTest::mouseClick(&card, Qt::LeftButton, {}, card.preview()->geometry().center());
    EXPECT_TRUE(clicked);
}

} // namespace
} // namespace morvanta
