// The drag tracker's four modes on the fake desktop, with a hand-driven mouse and frame timer.
#include "app/controller/manual_run_loop.h"
#include "app/controller/run_loop_frame_timer.h"
#include "ax/border_drag_tracker.h"
#include "ax/fake/fake_border_overlay.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_frame_timer.h"
#include "ax/fake/fake_mouse_monitor.h"
#include "ax/fake/fake_window_system.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

using Mode = BorderDragTracker::Mode;

class DragTrackerTest : public ::testing::Test {
protected:
    DragTrackerTest() {
        // A 30-point panel along the top of the screen.
        desktop.addScreen(
            FakeDesktop::makeScreen("A", {0, 0, 1920, 1080}, Rect{0, 30, 1920, 1050}));
        app = desktop.addApp("Editor");
        window = desktop.openWindow(app, "doc", {100, 100, 800, 600});
        tracker.onDragEnded = [this] { ++ended; };
        tracker.target = window;
        tracker.start();
        border.show(window);
    }

    FakeWindowSystem& system() { return desktop.system(); }

    FakeDesktop desktop;
    std::int32_t app = 0;
    AXWindow window;
    FakeBorderOverlay border{desktop.system().windowNumbers()};
    FakeMouseMonitor mouse;
    FakeFrameTimer timer;
    BorderDragTracker tracker{border, desktop.system().windowNumbers(), desktop.system(), mouse,
                              timer};
    int ended = 0;
};

TEST(DragTrackerModes, RawValuesRoundTrip) {
    for (const Mode mode : BorderDragTracker::allModes)
        EXPECT_EQ(BorderDragTracker::modeFromRaw(BorderDragTracker::rawValue(mode)), mode);
    EXPECT_EQ(BorderDragTracker::rawValue(Mode::hideWhileDragging), "hideWhileDragging");
    EXPECT_FALSE(BorderDragTracker::modeFromRaw("Predictive"));
}

TEST_F(DragTrackerTest, PredictiveMoveFollowsTheMouseUntilMouseUp) {
    mouse.press({500, 110});
    ASSERT_TRUE(tracker.isTracking());
    timer.tick();
    EXPECT_EQ(tracker.liveUpdates(), 0) << "nothing moved yet";

    // The window lags the pointer: the border goes where the pointer says.
    desktop.userMove(window, {110, 105});
    mouse.drag({560, 140});
    EXPECT_EQ(border.frame(), border.panelFrame({160, 130, 800, 600}));
    EXPECT_EQ(tracker.liveUpdates(), 1);

    // Up past the panel: held at the visible frame's top.
    mouse.drag({560, 0});
    EXPECT_EQ(border.frame(), border.panelFrame({160, 30, 800, 600}));

    // The window stops but prediction goes on until mouse-up.
    mouse.moveTo({600, 300});
    timer.tick();
    EXPECT_EQ(border.frame(), border.panelFrame({200, 290, 800, 600}));
    timer.tick();
    EXPECT_EQ(tracker.liveUpdates(), 3) << "an unchanged frame is not counted";
    EXPECT_EQ(border.drawings().size(), 1u) << "moves never redraw the ring";

    mouse.release();
    EXPECT_FALSE(tracker.isTracking());
    EXPECT_EQ(ended, 1);
    timer.tick();
    EXPECT_EQ(tracker.liveUpdates(), 3);
}

TEST_F(DragTrackerTest, PredictiveResizeFollowsTheRealBounds) {
    mouse.press({900, 700});
    desktop.userResize(window, {850, 640});
    mouse.drag({950, 740});
    EXPECT_EQ(border.frame(), border.panelFrame({100, 100, 850, 640}));
    // A resize that also shifts the origin (a left-edge drag) still never predicts.
    desktop.userSetFrame(window, {80, 100, 870, 640});
    mouse.drag({80, 400});
    EXPECT_EQ(border.frame(), border.panelFrame({80, 100, 870, 640}));
    EXPECT_EQ(border.drawings().size(), 3u);
    EXPECT_EQ(tracker.liveUpdates(), 2);
}

TEST_F(DragTrackerTest, LiveFollowUsesTheBoundsEveryFrame) {
    tracker.mode = Mode::liveFollow;
    mouse.press({500, 110});
    desktop.userMove(window, {300, 300});
    timer.tick();
    EXPECT_EQ(border.frame(), border.panelFrame({300, 300, 800, 600}));
    timer.tick();
    EXPECT_EQ(tracker.liveUpdates(), 1);
}

TEST_F(DragTrackerTest, HideWhileDraggingKeepsTheBorderForAClick) {
    tracker.mode = Mode::hideWhileDragging;
    mouse.press({500, 110});
    timer.tick();
    mouse.drag({500, 110});
    EXPECT_TRUE(border.isVisible());
    mouse.release();
    EXPECT_EQ(ended, 1);

    mouse.press({500, 110});
    desktop.userMove(window, {101, 100});
    timer.tick();
    EXPECT_FALSE(border.isVisible());
    border.show(window); // stays hidden for the rest of the drag, even if shown meanwhile
    timer.tick();
    EXPECT_TRUE(border.isVisible());
    mouse.release();
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(tracker.liveUpdates(), 0);
}

TEST_F(DragTrackerTest, NotificationsOnlyTracksNothingButReportsEveryMouseUp) {
    tracker.mode = Mode::notificationsOnly;
    mouse.press({500, 110});
    EXPECT_FALSE(tracker.isTracking());
    EXPECT_EQ(timer.starts(), 0);
    desktop.userMove(window, {300, 300});
    mouse.drag({700, 310});
    mouse.release();
    mouse.release();
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(border.frame(), border.panelFrame({100, 100, 800, 600}));
}

TEST_F(DragTrackerTest, NoTrackingWithoutTargetNumberOrScreen) {
    tracker.target.reset();
    mouse.press({1, 1});
    EXPECT_FALSE(tracker.isTracking());
    mouse.release();
    EXPECT_EQ(ended, 1) << "mouse-up reports even without a target";

    const auto hidden = desktop.openWindow(app, "hidden", {0, 0, 200, 200});
    desktop.minimise(hidden);
    tracker.target = hidden;
    mouse.press({1, 1});
    EXPECT_FALSE(tracker.isTracking());
    mouse.release();

    tracker.target = window;
    desktop.removeScreen("A");
    mouse.press({1, 1});
    EXPECT_FALSE(tracker.isTracking());
}

TEST_F(DragTrackerTest, StopEndsTrackingAndListening) {
    tracker.start(); // once only
    mouse.press({500, 110});
    ASSERT_TRUE(tracker.isTracking());
    tracker.stop();
    EXPECT_FALSE(tracker.isTracking());
    EXPECT_FALSE(mouse.isWatching());
    mouse.release();
    EXPECT_EQ(ended, 0);
    tracker.start();
    EXPECT_EQ(mouse.watchStarts(), 2);
}

TEST(RunLoopFrameTimer, RepeatsAtTheRefreshRate) {
    ManualRunLoop loop;
    double hz = 50;
    RunLoopFrameTimer timer(loop, [&] { return hz; });
    int ticks = 0;
    timer.start([&] { ++ticks; });
    loop.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, 5);
    hz = 0; // unknown: 60 Hz
    timer.start([&] { ++ticks; });
    loop.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, 11);
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    loop.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, 11);
}

} // namespace
} // namespace morvanta
