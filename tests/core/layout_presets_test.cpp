// The layout engine: the split arithmetic and the shape of every layout kind.
#include "core/core.h"

#include <gtest/gtest.h>
#include <limits>

namespace morvanta {
namespace {

using LayoutPresets::distributeLengths;
using LayoutPresets::frames;

const Rect screen{0, 0, 1000, 800};

std::vector<Rect> layout(int count, LayoutKind kind, LayoutOptions options = {},
                         std::vector<Size> minimums = {}, std::vector<double> weights = {}) {
    return frames(count, kind, minimums, weights, screen, options);
}

TEST(DistributeLengths, PinsItemsBelowTheirMinimumAndSharesTheRest) {
    EXPECT_EQ(distributeLengths(1000, {700, 0}, {}), (std::vector<double>{700, 300}));
    // Minimums beyond the total are kept: the lengths overflow rather than shrink.
    EXPECT_EQ(distributeLengths(1000, {700, 700}, {}), (std::vector<double>{700, 700}));
    // Pinning one item can push another below its minimum in the next pass.
    EXPECT_EQ(distributeLengths(900, {0, 290, 400}, {}), (std::vector<double>{210, 290, 400}));
    EXPECT_TRUE(distributeLengths(500, {}, {1, 2}).empty());
    // Missing, zero, negative and infinite weights all count as 1.
    EXPECT_EQ(
        distributeLengths(400, {0, 0, 0, 0}, {0, -1, std::numeric_limits<double>::infinity()}),
        (std::vector<double>{100, 100, 100, 100}));
}

TEST(LayoutPresets, NoWindowsGiveNoFrames) {
    for (LayoutKind kind : allLayoutKinds) {
        EXPECT_TRUE(layout(0, kind).empty());
        EXPECT_TRUE(layout(-2, kind).empty());
    }
}

TEST(LayoutPresets, ColumnsFollowWeightsAndGaps) {
    const auto out = layout(3, LayoutKind::columns, {10, 0, 0.58}, {}, {2, 1, 1});
    EXPECT_EQ(out, (std::vector<Rect>{{0, 0, 490, 800}, {500, 0, 245, 800}, {755, 0, 245, 800}}));
    // Minimums that do not fit reach past the area.
    const auto wide = layout(2, LayoutKind::columns, {}, {{700, 0}, {700, 0}});
    EXPECT_EQ(wide[1], (Rect{700, 0, 700, 800}));
}

TEST(LayoutPresets, RowsSplitTheHeight) {
    const auto out = layout(2, LayoutKind::rows, {20, 0, 0.58}, {{0, 0}, {0, 500}});
    EXPECT_EQ(out, (std::vector<Rect>{{0, 0, 1000, 280}, {0, 300, 1000, 500}}));
}

TEST(LayoutPresets, OuterGapInsetsUnlessNothingWouldRemain) {
    EXPECT_EQ(layout(1, LayoutKind::columns, {0, 20, 0.58})[0], (Rect{20, 20, 960, 760}));
    // An inset that leaves nothing keeps the whole area; inner gaps still apply.
    EXPECT_EQ(layout(2, LayoutKind::columns, {10, 500, 0.58})[1], (Rect{505, 0, 495, 800}));
    // A negative inner gap counts as none; a negative outer gap enlarges the area.
    EXPECT_EQ(layout(2, LayoutKind::columns, {-5, 0, 0.58})[1], (Rect{500, 0, 500, 800}));
    EXPECT_EQ(layout(1, LayoutKind::rows, {0, -10, 0.58})[0], (Rect{-10, -10, 1020, 820}));
}

TEST(LayoutPresets, MainStackSplitsByRatioWithinLimits) {
    const auto out = layout(3, LayoutKind::mainStack, {10, 0, 0.58});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NEAR(out[0].width, 574.2, 1e-9);
    EXPECT_NEAR(out[1].x, 584.2, 1e-9);
    EXPECT_NEAR(out[1].width, 415.8, 1e-9);
    EXPECT_EQ(out[1].height, 395);
    EXPECT_EQ(out[2].y, 405);
    EXPECT_EQ(layout(2, LayoutKind::mainStack, {0, 0, 0.1})[0].width, 200);
    EXPECT_EQ(layout(2, LayoutKind::mainStack, {0, 0, 0.95})[0].width, 800);
    EXPECT_EQ(
        layout(2, LayoutKind::mainStack, {0, 0, std::numeric_limits<double>::quiet_NaN()})[0].width,
        580);
    EXPECT_EQ(layout(1, LayoutKind::mainStack, {0, 0, 0.95})[0], screen);
}

TEST(LayoutPresets, MainStackMinimumsDecideTheSplit) {
    // A stack window's minimum narrows the main window …
    EXPECT_EQ(layout(3, LayoutKind::mainStack, {}, {{0, 0}, {600, 0}})[0].width, 400);
    // … but the main window's own minimum wins over the stack's.
    EXPECT_EQ(layout(2, LayoutKind::mainStack, {}, {{700, 0}, {600, 0}})[0].width, 700);
    // The first weight is the main window's and plays no part.
    const auto out = layout(3, LayoutKind::mainStack, {}, {}, {5, 3, 1});
    EXPECT_EQ(out[1].height, 600);
    EXPECT_EQ(out[2].height, 200);
}

TEST(LayoutPresets, GridRowsAndShortLastRow) {
    const auto three = layout(3, LayoutKind::grid);
    EXPECT_EQ(three,
              (std::vector<Rect>{{0, 0, 500, 400}, {500, 0, 500, 400}, {0, 400, 1000, 400}}));
    auto rowLengths = [](int count) {
        std::vector<int> lengths;
        double lastY = -1;
        for (const Rect& frame : layout(count, LayoutKind::grid)) {
            if (frame.y != lastY)
                lengths.push_back(0);
            ++lengths.back();
            lastY = frame.y;
        }
        return lengths;
    };
    EXPECT_EQ(rowLengths(2), (std::vector<int>{2}));
    EXPECT_EQ(rowLengths(4), (std::vector<int>{2, 2}));
    EXPECT_EQ(rowLengths(5), (std::vector<int>{3, 2}));
    EXPECT_EQ(rowLengths(7), (std::vector<int>{3, 3, 1}));
    EXPECT_EQ(rowLengths(10), (std::vector<int>{4, 4, 2}));
    // Weights do not apply to the grid.
    EXPECT_EQ(layout(2, LayoutKind::grid, {}, {}, {3, 1})[0].width, 500);
}

TEST(LayoutPresets, MonocleGivesEveryWindowTheWholeArea) {
    EXPECT_EQ(layout(3, LayoutKind::monocle, {10, 10, 0.58}),
              std::vector<Rect>(3, Rect{10, 10, 980, 780}));
}

} // namespace
} // namespace morvanta
