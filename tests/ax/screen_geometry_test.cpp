#include "ax/screen_geometry.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

Screen screen(const std::string& id, const Rect& frame) {
    return Screen{frame, frame, id, id};
}

TEST(ScreenGeometryTest, FlipConvertsBothWaysAroundThePrimaryHeight) {
    const std::vector<Screen> screens{screen("A", {0, 0, 1920, 1080}),
                                      screen("B", {1920, -200, 1280, 1024})};
    const Rect r{10, 20, 300, 400};
    EXPECT_EQ(ScreenGeometry::flip(r, screens), (Rect{10, 1080 - 420, 300, 400}));
    EXPECT_EQ(ScreenGeometry::flip(ScreenGeometry::flip(r, screens), screens), r);
    EXPECT_EQ(ScreenGeometry::flip(screens[0].frame, screens).y, 0);
    // Without screens the pivot is 0.
    EXPECT_EQ(ScreenGeometry::flip(r, std::vector<Screen>{}).y, -420);
}

TEST(ScreenGeometryTest, ScreenHoldingMostOfARectangleKeepsTheEarlierOnTies) {
    const std::vector<Screen> screens{screen("A", {0, 0, 1000, 1000}),
                                      screen("B", {1000, 0, 500, 1000})};
    // A quarter on A, half on B, the rest off screen.
    EXPECT_EQ(ScreenGeometry::screen(screens, {750, 0, 1000, 1000})->identity, "B");
    // Equal halves go to the earlier screen, in either list order.
    EXPECT_EQ(ScreenGeometry::screen(screens, {750, 0, 500, 1000})->identity, "A");
    const std::vector<Screen> reversed{screens[1], screens[0]};
    EXPECT_EQ(ScreenGeometry::screen(reversed, {750, 0, 500, 1000})->identity, "B");
    // Touching no screen, or only along an edge: the first screen.
    EXPECT_EQ(ScreenGeometry::screen(screens, {5000, 5000, 10, 10})->identity, "A");
    EXPECT_EQ(ScreenGeometry::screen(reversed, {1000, 1000, 10, 10})->identity, "B");
    EXPECT_FALSE(ScreenGeometry::screen({}, {0, 0, 10, 10}));
}

TEST(ScreenGeometryTest, ParkedPositionIsTheLowerRightStripOfAnyScreen) {
    const std::vector<Screen> screens{screen("A", {0, 0, 1920, 1080}),
                                      screen("B", {1920, 0, 1280, 1024})};
    const auto parked = [&](double x, double y) {
        return ScreenGeometry::isParkedPosition(screens, {x, y, 800, 600});
    };
    EXPECT_TRUE(parked(1916, 540));     // maxX − 4, midY
    EXPECT_FALSE(parked(1915.99, 540)); // just left of the strip
    EXPECT_TRUE(parked(1920, 1080));    // the far corner, bounds inclusive
    EXPECT_FALSE(parked(1916, 539.99)); // upper half never counts
    EXPECT_FALSE(parked(1919, 0));
    EXPECT_TRUE(parked(3199, 1023)); // B's own corner
    EXPECT_FALSE(parked(3200.01, 1000));
    EXPECT_EQ(ScreenGeometry::parkingTarget(screens[1]), (Point{3199, 1023}));
    EXPECT_TRUE(parked(ScreenGeometry::parkingTarget(screens[0]).x,
                       ScreenGeometry::parkingTarget(screens[0]).y));
}

TEST(ScreenGeometryTest, FrameMatchesWithinTwoPointsOrOneResizeStep) {
    const Rect target{100, 100, 500, 300};
    EXPECT_TRUE(frameMatches({102, 98, 502, 298}, target, std::nullopt));
    EXPECT_FALSE(frameMatches({102.01, 100, 500, 300}, target, std::nullopt));
    EXPECT_FALSE(frameMatches({100, 100, 497, 300}, target, std::nullopt));
    // A terminal with 6×13 steps counts as at its target within one step of each size.
    const Size steps{6, 13};
    EXPECT_TRUE(frameMatches({100, 100, 496, 290}, target, steps));
    EXPECT_FALSE(frameMatches({100, 100, 493, 300}, target, steps));
    EXPECT_FALSE(frameMatches({100, 100, 500, 286}, target, steps));
    // Steps never loosen the position, and tiny steps never tighten the 2-point tolerance.
    EXPECT_FALSE(frameMatches({105, 100, 500, 300}, target, steps));
    EXPECT_TRUE(frameMatches({100, 100, 502, 302}, target, Size{1, 1}));
}

} // namespace
} // namespace morvanta
