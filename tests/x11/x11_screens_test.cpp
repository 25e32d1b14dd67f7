// Screens from RandR monitors on a real X server: frames, visible frames less docks'
// struts, identities, the screen-choice rules, parking on a chosen screen, change news.
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"
#include "tests/x11/x11_desktop.h"

#include <gtest/gtest.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

XvfbOptions twoMonitors() {
    XvfbOptions options;
    options.monitors = {{"LEFT", 0, 0, 960, 1080}, {"RIGHT", 960, 0, 960, 1080}};
    return options;
}

class X11Screens : public ::testing::Test {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(twoMonitors());
        ASSERT_TRUE(desktop->ok()) << desktop->error();
    }
    // The screens as the application reads them: after the run loop has handed over the
    // events that arrived (screen news among them).
    std::vector<Screen> screens() {
        desktop->system().dispatchPending();
        return desktop->system().screenSource().screens();
    }
    std::unique_ptr<X11Desktop> desktop;
};

TEST_F(X11Screens, TwoMonitorsWithFramesAndNameIdentities) {
    const auto list = screens();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "LEFT");
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 960, 1080}));
    EXPECT_EQ(list[0].visibleFrame, list[0].frame);
    EXPECT_EQ(list[1].name, "RIGHT");
    EXPECT_EQ(list[1].frame, (Rect{960, 0, 960, 1080}));
    // No EDID on virtual monitors: the name is the identity.
    EXPECT_EQ(ScreenGeometry::displayID(list[0]), "LEFT");
    EXPECT_EQ(ScreenGeometry::displayID(list[1]), "RIGHT");
}

TEST_F(X11Screens, DockStrutsShrinkTheVisibleFramesTheyTouch) {
    TestClient panel(desktop->server().display());
    ASSERT_NE(panel.open("panel", 0, 0, 1920, 30, false), 0u);
    ASSERT_EQ(panel.command("type panel dock"), "ok");
    ASSERT_EQ(panel.command("strut panel 0 0 30 0"), "ok");
    ASSERT_EQ(panel.command("map panel"), "ok");
    const auto list = screens();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, 30, 960, 1050}));
    EXPECT_EQ(list[1].visibleFrame, (Rect{960, 30, 960, 1050}));
    // The full frame stays: parking uses it.
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 960, 1080}));
    // Screens are kept between reads; a dock reserving more space is heard of all the same.
    // (The news comes as an event: wait for it rather than race it.)
    ASSERT_EQ(panel.command("strut panel 0 0 40 0"), "ok");
    EXPECT_TRUE(waitFor([&] { return screens()[1].visibleFrame == Rect{960, 40, 960, 1040}; }));
    // An ordinary window that opens is asked about its struts alone; a dock that opens after
    // the screens were read is found that way.
    auto& x = desktop->system().connection();
    ASSERT_NE(panel.open("plain", 100, 100, 300, 200), 0u);
    screens();
    ASSERT_NE(panel.open("plain2", 100, 100, 300, 200), 0u);
    const long before = x.roundTrips();
    EXPECT_EQ(screens()[1].visibleFrame, (Rect{960, 40, 960, 1040}));
    EXPECT_LE(x.roundTrips() - before, 1);
    ASSERT_NE(panel.open("bottom", 0, 1050, 1920, 30, false), 0u);
    ASSERT_EQ(panel.command("type bottom dock"), "ok");
    ASSERT_EQ(panel.command("strut bottom 0 0 0 30"), "ok");
    ASSERT_EQ(panel.command("map bottom"), "ok");
    EXPECT_TRUE(waitFor([&] { return screens()[0].visibleFrame == Rect{0, 40, 960, 1010}; }));
    // A dock that is not shown reserves nothing.
    ASSERT_EQ(panel.command("unmap panel"), "ok");
    ASSERT_EQ(panel.command("unmap bottom"), "ok");
    EXPECT_TRUE(waitFor([&] { return screens()[0].visibleFrame == Rect{0, 0, 960, 1080}; }));
}

TEST_F(X11Screens, ScreenForARectangleFollowsTheLargerShareAndTies) {
    const auto list = screens();
    ASSERT_EQ(list.size(), 2u);
    // Three quarters on the right, a quarter on the left.
    EXPECT_EQ(ScreenGeometry::screen(list, {720, 100, 960, 500})->name, "RIGHT");
    // Equal halves: the earlier screen.
    EXPECT_EQ(ScreenGeometry::screen(list, {480, 100, 960, 500})->name, "LEFT");
    // Touching no screen: the first.
    EXPECT_EQ(ScreenGeometry::screen(list, {5000, 5000, 10, 10})->name, "LEFT");
    // Parked in the right screen's corner.
    EXPECT_TRUE(ScreenGeometry::isParkedPosition(list, {1916, 540, 300, 300}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(list, {1915, 540, 300, 300}));
    EXPECT_TRUE(ScreenGeometry::isParkedPosition(list, {956, 1080, 300, 300}));
}

TEST_F(X11Screens, ParkingOnAChosenScreenUsesThatScreensCorner) {
    const auto w = desktop->open("left", 100, 100, 400, 300);
    WindowParker parker(desktop->system().screenSource(), desktop->system().windowAccess());
    const auto right = screens()[1];
    const auto after = parker.park(w, right);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->origin(), (Point{1919, 1079}));
    EXPECT_TRUE(parker.isInParkedPosition(w, *after));
    parker.restore(w);
    EXPECT_EQ(w.frame(), (Rect{100, 100, 400, 300}));
}

TEST_F(X11Screens, MonitorChangesAreReported) {
    int changes = 0;
    desktop->system().screenSource().onScreensChanged = [&] { ++changes; };
    desktop->system().dispatchPending();
    changes = 0;
    ASSERT_EQ(desktop->server().run({"xrandr", "--delmonitor", "RIGHT"}), 0);
    EXPECT_TRUE(waitFor([&] {
        desktop->system().dispatchPending();
        return changes > 0;
    }));
    EXPECT_EQ(screens().size(), 1u);
}

TEST(X11ScreensDefault, OneMonitorCoveringTheRoot) {
    XvfbOptions options;
    options.width = 1280;
    options.height = 800;
    X11Desktop desktop(options);
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    const auto list = desktop.system().screenSource().screens();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(list[0].identity, "screen");
}

} // namespace
