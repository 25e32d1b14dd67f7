// The pure rules of the window-system layer: coordinate flip, screen choice, parked region, off
// every screen, frame tolerance with steps, enumeration order, struts, display identities, handles.
#include "ax/ax_window.h"
#include "ax/screen_geometry.h"
#include "ax/x11/display_identity.h"
#include "ax/x11/strut_geometry.h"
#include "ax/x11/window_order.h"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace morvanta;

namespace {

Screen screenAt(const Rect& frame, const std::string& name) {
    return Screen{frame, frame, name, name};
}

TEST(ScreenGeometry, FlipIsItsOwnInverseAndUsesThePrimaryHeight) {
    const std::vector<Screen> screens{screenAt({0, 0, 1440, 900}, "main"),
                                      screenAt({1440, -300, 1920, 1200}, "side")};
    EXPECT_EQ(ScreenGeometry::flip({0, 0, 1440, 900}, screens).y, 0);
    const Rect r{100, 50, 300, 200};
    EXPECT_EQ(ScreenGeometry::flip(r, screens), (Rect{100, 650, 300, 200}));
    EXPECT_EQ(ScreenGeometry::flip(ScreenGeometry::flip(r, screens), screens), r);
    // No screens: the pivot is 0.
    EXPECT_EQ(ScreenGeometry::flip(r, std::vector<Screen>{}), (Rect{100, -250, 300, 200}));
}

TEST(ScreenGeometry, ScreenChoiceNeedsAStrictlyLargerShare) {
    const std::vector<Screen> screens{screenAt({0, 0, 1000, 1000}, "first"),
                                      screenAt({1000, 0, 1000, 1000}, "second")};
    EXPECT_FALSE(ScreenGeometry::screen({}, {0, 0, 10, 10}));
    EXPECT_EQ(ScreenGeometry::screen(screens, {750, 0, 1000, 100})->name, "second");
    EXPECT_EQ(ScreenGeometry::screen(screens, {500, 0, 1000, 100})->name, "first");
    EXPECT_EQ(ScreenGeometry::screen(screens, {-500, -500, 10, 10})->name, "first");
}

TEST(ScreenGeometry, ParkedRegionBoundaries) {
    const std::vector<Screen> screens{screenAt({0, 0, 1000, 800}, "s")};
    // Target: one point inside the bottom-right corner of the full frame.
    EXPECT_EQ(ScreenGeometry::parkingTarget(screens[0]), (Point{999, 799}));
    EXPECT_TRUE(ScreenGeometry::isParkedPosition(screens, {996, 400, 50, 50}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(screens, {995.99, 400, 50, 50}));
    EXPECT_TRUE(ScreenGeometry::isParkedPosition(screens, {1000, 800, 50, 50}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(screens, {1000.01, 800, 50, 50}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(screens, {999, 399.99, 50, 50}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(screens, {999, 800.01, 50, 50}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition({}, {999, 799, 50, 50}));
}

TEST(ScreenGeometry, OffEveryScreenLeavesAtMostSixteenSquarePointsOnThem) {
    const std::vector<Screen> screens{screenAt({0, 0, 1000, 800}, "left"),
                                      screenAt({1000, 0, 1000, 800}, "right")};
    EXPECT_TRUE(ScreenGeometry::isOffEveryScreen(screens, {1999, 799, 300, 200})); // parked
    EXPECT_TRUE(ScreenGeometry::isOffEveryScreen(screens, {1996, 796, 300, 200})); // 4 × 4
    EXPECT_FALSE(ScreenGeometry::isOffEveryScreen(screens, {1995, 796, 300, 200}));
    EXPECT_FALSE(ScreenGeometry::isOffEveryScreen(screens, {996, 796, 8, 8})); // 16 on each
    EXPECT_FALSE(ScreenGeometry::isOffEveryScreen({}, {5000, 5000, 10, 10}));
}

TEST(FrameMatches, TwoPointsOrOneStep) {
    const Rect target{100, 100, 500, 300};
    EXPECT_TRUE(frameMatches({102, 98, 502, 298}, target, std::nullopt));
    EXPECT_FALSE(frameMatches({102.01, 100, 500, 300}, target, std::nullopt));
    EXPECT_FALSE(frameMatches({100, 100, 496, 290}, target, std::nullopt));
    // Openbox snapped an xterm of steps 6×13 from 500×300 to 496×290.
    EXPECT_TRUE(frameMatches({100, 100, 496, 290}, target, Size{6, 13}));
    EXPECT_FALSE(frameMatches({100, 100, 493, 290}, target, Size{6, 13}));
    // Steps never loosen the position.
    EXPECT_FALSE(frameMatches({105, 100, 500, 300}, target, Size{6, 13}));
}

TEST(WindowOrder, ApplicationsByFirstWindowThenFrontToBack) {
    // Mapped: a1 (pid 1), b1 (pid 2), a2 (pid 1), c1 (pid 3); stacking bottom to top:
    // a2, c1, a1, b1.
    const std::vector<OrderedWindow> mapped{{11, 1}, {21, 2}, {12, 1}, {31, 3}};
    const auto ordered = orderWindows(mapped, {12, 31, 11, 21});
    std::vector<std::uint32_t> ids;
    for (const auto& w : ordered)
        ids.push_back(w.window);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{11, 12, 21, 31}));
    // Unknown stacking counts as lowest.
    const auto partial = orderWindows(mapped, {11});
    EXPECT_EQ(partial[0].window, 11u);
    EXPECT_EQ(partial[1].window, 12u);
}

TEST(Struts, VisibleFramesLoseOnlyTheStripsThatTouchThem) {
    const Size root{3000, 1200};
    const Rect left{0, 0, 1920, 1080}, right{1920, 0, 1080, 1200};
    // A top panel across the left monitor only, and a bottom dock under the right one.
    const auto top = Strut::fromPartial({0, 0, 30, 0, 0, 0, 0, 0, 0, 1919, 0, 0});
    const auto bottom = Strut::fromPartial({0, 0, 0, 48, 0, 0, 0, 0, 0, 0, 1920, 2999});
    EXPECT_EQ(visibleFrame(left, root, {top, bottom}), (Rect{0, 30, 1920, 1050}));
    EXPECT_EQ(visibleFrame(right, root, {top, bottom}), (Rect{1920, 0, 1080, 1152}));
    // Old-style struts cover whole edges.
    const auto full = Strut::fromFull({40, 0, 0, 0}, root);
    EXPECT_EQ(visibleFrame(left, root, {full}), (Rect{40, 0, 1880, 1080}));
    EXPECT_EQ(visibleFrame(right, root, {full}), right);
}

TEST(Struts, WorkAreaFillsInOnlyTheEdgesNoKnownStrutExplains) {
    const Size root{3200, 1000};
    const Rect left{0, 0, 1600, 1000}, right{1600, 0, 1600, 1000};
    // A taskbar the window manager keeps to itself: only its work area says it is there.
    const auto hidden = workAreaStrut({0, 0, 3200, 974}, root, {});
    EXPECT_EQ(visibleFrame(left, root, {hidden}), (Rect{0, 0, 1600, 974}));
    EXPECT_EQ(visibleFrame(right, root, {hidden}), (Rect{1600, 0, 1600, 974}));
    // A known dock on the left monitor's bottom explains the bottom edge: the right monitor
    // keeps its full height although a work area over both monitors says otherwise.
    const auto dock = Strut::fromPartial({0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1599});
    const auto rest = workAreaStrut({0, 20, 3200, 950}, root, {dock});
    EXPECT_EQ(visibleFrame(right, root, {dock, rest}), (Rect{1600, 20, 1600, 980}));
    EXPECT_EQ(visibleFrame(left, root, {dock, rest}), (Rect{0, 20, 1600, 950}));
    // Values that cannot be a work area are ignored.
    for (const Rect bad : {Rect{0, 0, 0, 0}, Rect{-5, 0, 3200, 1000}, Rect{0, 0, 3300, 1000},
                           Rect{0, 0, 1000, 1000}})
        EXPECT_EQ(visibleFrame(left, root, {workAreaStrut(bad, root, {})}), left);
}

TEST(DisplayIdentity, UuidFromEdidElseName) {
    std::vector<std::uint8_t> edid(128);
    for (std::size_t i = 0; i < edid.size(); ++i)
        edid[i] = static_cast<std::uint8_t>(i * 7);
    const auto id = displayIdentity(edid, "HDMI-1");
    ASSERT_EQ(id.size(), 36u);
    for (const std::size_t dash : {8u, 13u, 18u, 23u})
        EXPECT_EQ(id[dash], '-');
    for (const char c : id)
        EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << id;
    EXPECT_EQ(displayIdentity(edid, "DP-2"), id); // same display on another port
    edid[20] ^= 1;
    EXPECT_NE(displayIdentity(edid, "HDMI-1"), id);
    EXPECT_EQ(displayIdentity({}, "HDMI-1"), "HDMI-1");
    EXPECT_EQ(displayIdentity(std::vector<std::uint8_t>(10), "VGA"), "VGA");
}

TEST(AXWindow, EqualityAndHashingByPidThenWindow) {
    const AXWindow a({}, 42, 7), same({}, 42, 7), otherPid({}, 42, 8), otherWindow({}, 43, 7);
    EXPECT_EQ(a, same);
    EXPECT_NE(a, otherPid);
    EXPECT_NE(a, otherWindow);
    EXPECT_LT(a, otherPid);
    std::unordered_set<AXWindow> set{a, same, otherPid};
    EXPECT_EQ(set.size(), 2u);
}

TEST(AXWindow, HandleWithoutWindowSystemAnswersAbsent) {
    const AXWindow w({}, 5, 1234);
    EXPECT_EQ(w.title(), "");
    EXPECT_EQ(w.appName(), "pid 1234");
    EXPECT_EQ(w.description(), "pid 1234 — “”");
    EXPECT_FALSE(w.isStandard());
    EXPECT_FALSE(w.isMinimized());
    EXPECT_FALSE(w.frame());
    EXPECT_FALSE(w.setFrame({0, 0, 1, 1}));
    EXPECT_FALSE(w.sizeIncrement());
    EXPECT_NE(w.focus(), (FocusResult{0, 0, 0}));
}

} // namespace
