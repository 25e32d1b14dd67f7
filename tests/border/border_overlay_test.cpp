// The focus border's rules without a display: ring geometry, panel placement, the window-number
// cache, redraw economies and stacking choices, on the fake desktop.
#include "ax/border_ring.h"
#include "ax/fake/fake_border_overlay.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

bool covered(const std::vector<RingRect>& rects, int x, int y) {
    int hits = 0;
    for (const auto& r : rects)
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            ++hits;
    EXPECT_LE(hits, 1) << "overlap at " << x << "," << y;
    return hits == 1;
}

TEST(BorderRing, BandHasTheWidthOnEverySideAndRoundedCorners) {
    const auto rects = BorderRing::rectangles(808, 608, 4, 12);
    // Straight sides: exactly 4 pixels, the window area untouched.
    for (int y : {100, 300, 500}) {
        EXPECT_TRUE(covered(rects, 0, y));
        EXPECT_TRUE(covered(rects, 3, y));
        EXPECT_FALSE(covered(rects, 4, y));
        EXPECT_TRUE(covered(rects, 807, y));
        EXPECT_FALSE(covered(rects, 803, y));
    }
    for (int x : {100, 400, 700}) {
        EXPECT_TRUE(covered(rects, x, 0));
        EXPECT_TRUE(covered(rects, x, 3));
        EXPECT_FALSE(covered(rects, x, 4));
        EXPECT_TRUE(covered(rects, x, 607));
        EXPECT_FALSE(covered(rects, x, 603));
    }
    // Outer corners are cut (outer radius 16), inner corners filled in (inner radius 12).
    for (auto [x, y] : {std::pair{0, 0}, {807, 0}, {0, 607}, {807, 607}, {2, 2}})
        EXPECT_FALSE(covered(rects, x, y)) << x << "," << y;
    EXPECT_TRUE(covered(rects, 6, 6));     // inside the window's rectangle, outside its rounding
    EXPECT_TRUE(covered(rects, 801, 601)); // the same at the opposite corner
    EXPECT_FALSE(covered(rects, 20, 20));  // the window's own pixels
    // Merged rows: the count depends on the radii, not on the size.
    EXPECT_EQ(rects.size(), BorderRing::rectangles(1600, 1200, 4, 12).size());
    EXPECT_LT(rects.size(), 120u);
}

TEST(BorderRing, DegenerateSizes) {
    EXPECT_TRUE(BorderRing::rectangles(0, 100, 4, 12).empty());
    EXPECT_TRUE(BorderRing::rectangles(100, 100, 0, 12).empty());
    // A panel too small for a hole is solid (its rounded outer corners aside), without overlaps.
    const auto solid = BorderRing::rectangles(6, 6, 4, 0);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 5; ++x)
            EXPECT_TRUE(covered(solid, x, y));
    // No inner radius: the inner corner is square, the outer one keeps the width as radius.
    const auto square = BorderRing::rectangles(50, 50, 4, 0);
    EXPECT_FALSE(covered(square, 0, 0));
    EXPECT_TRUE(covered(square, 3, 3));
    EXPECT_FALSE(covered(square, 4, 4));
}

class BorderOverlayTest : public ::testing::Test {
protected:
    BorderOverlayTest() {
        desktop.addScreen(FakeDesktop::makeScreen("A", {0, 0, 1920, 1080}));
        app = desktop.addApp("Editor");
        window = desktop.openWindow(app, "doc", {100, 100, 800, 600});
    }
    std::uint32_t numberOf(const AXWindow& w) {
        return w.id() + FakeWindowSystem::frameNumberOffset;
    }

    FakeDesktop desktop;
    std::int32_t app = 0;
    AXWindow window;
    FakeBorderOverlay border{desktop.system().windowNumbers()};
};

TEST_F(BorderOverlayTest, ShowSurroundsTheWindowAndSitsAboveItsFrame) {
    ASSERT_TRUE(border.show(window));
    EXPECT_EQ(border.frame(), (Rect{96, 96, 808, 608}));
    EXPECT_TRUE(border.isVisible());
    EXPECT_EQ(border.level(), FakeBorderOverlay::Level::aboveTarget);
    EXPECT_EQ(border.aboveNumber(), numberOf(window));
    ASSERT_EQ(border.drawings().size(), 1u);
    EXPECT_EQ(border.drawings()[0].size, (Size{808, 608}));
}

TEST_F(BorderOverlayTest, UnreadableOrUnnumberedWindows) {
    border.show(window);
    desktop.setFrameReadable(window, false);
    EXPECT_FALSE(border.show(window));
    EXPECT_FALSE(border.isVisible());

    // A frame that reads but that the window server does not list: floats on top.
    desktop.setFrameReadable(window, true);
    const auto other = desktop.openWindow(app, "other", {0, 0, 300, 200});
    desktop.minimise(other);
    ASSERT_TRUE(border.show(other));
    EXPECT_EQ(border.level(), FakeBorderOverlay::Level::floating);

    // Not asked to stack above: floats even with a known number.
    border.setOrderAboveTarget(false);
    border.show(window);
    EXPECT_EQ(border.level(), FakeBorderOverlay::Level::floating);
}

TEST_F(BorderOverlayTest, RedrawsOnlyForSizeWidthAndRadius) {
    border.show(window);
    desktop.userMove(window, {300, 200});
    border.show(window);
    EXPECT_EQ(border.frame(), (Rect{296, 196, 808, 608}));
    EXPECT_EQ(border.drawings().size(), 1u) << "a same-size move keeps the ring";
    EXPECT_EQ(border.placements(), 2);
    border.show(window);
    EXPECT_EQ(border.placements(), 2) << "an unchanged frame is not set again";

    desktop.userResize(window, {500, 400});
    border.show(window);
    ASSERT_EQ(border.drawings().size(), 2u);
    EXPECT_EQ(border.drawings()[1].size, (Size{508, 408}));

    const BorderColor red{1, 0, 0, 1};
    border.setColor(red);
    EXPECT_EQ(border.drawings().size(), 2u) << "a colour alone waits for the next redraw";
    border.setWidth(4);
    border.setWidth(4);
    ASSERT_EQ(border.drawings().size(), 4u) << "each width assignment redraws";
    EXPECT_EQ(border.drawings()[3].color, red);
    border.setCornerRadius(6);
    EXPECT_EQ(border.drawings().back().cornerRadius, 6);
}

TEST_F(BorderOverlayTest, NumberCacheHoldsOneWindow) {
    const auto other = desktop.openWindow(app, "other", {0, 0, 300, 200});
    EXPECT_EQ(border.windowNumber(window), numberOf(window));
    // Cached: the window moved but the number is answered without a lookup.
    desktop.userMove(window, {400, 400});
    EXPECT_EQ(border.windowNumber(window, Rect{0, 0, 1, 1}), numberOf(window));
    // A lookup that fails leaves the cache alone.
    EXPECT_FALSE(border.windowNumber(other, Rect{5, 5, 1, 1}));
    EXPECT_EQ(border.cachedWindow(), window);
    EXPECT_EQ(border.windowNumber(other), numberOf(other));
    EXPECT_EQ(border.cachedWindow(), other);
    border.forgetNumber(numberOf(window)); // not the cached one: kept
    EXPECT_EQ(border.cachedNumber(), numberOf(other));
    border.forgetNumber(numberOf(other));
    EXPECT_FALSE(border.cachedWindow());
}

} // namespace
} // namespace morvanta
