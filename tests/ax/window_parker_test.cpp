// WindowParker on the fake desktop, with and without a window manager that keeps windows on
// screen, and across a crash of the parking process.
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"
#include "desktop_fixture.h"

#include <algorithm>

namespace morvanta::testing {
namespace {

class WindowParkerTest : public DesktopTest {
protected:
    WindowParker parker{desktop.system().screenSource(), desktop.system().windowAccess()};
    using Kind = FakeOperation::Kind;

    // Three windows, at `frames`, under a window manager that keeps windows on screen, and a
    // park request for each on the screen holding it.
    const Rect frames[3] = {{100, 100, 800, 600}, {200, 200, 700, 500}, {1000, 50, 500, 300}};
    std::vector<AXWindow> windows;
    std::vector<WindowParker::ParkRequest> requests;
    void openThreeUnderAClampingWindowManager() {
        desktop.setWindowManager(WindowManagerMode::clamping);
        for (const auto& f : frames) {
            windows.push_back(desktop.openWindow(editor, "w", f));
            requests.emplace_back(windows.back(), std::nullopt);
        }
    }
};

TEST_F(WindowParkerTest, ParkingTwiceKeepsTheFirstSavedFrame) {
    const AXWindow w = desktop.openWindow(editor, "a", {100, 100, 800, 600});
    const auto after = parker.park(w);
    // The full frame's corner, not the visible frame's (the panel takes the bottom 40 points).
    EXPECT_EQ(after, (Rect{1919, 1079, 800, 600}));
    EXPECT_TRUE(ScreenGeometry::isParkedPosition(desktop.screens(), *after));
    EXPECT_FALSE(parker.park(w));
    EXPECT_EQ(desktop.count(w, Kind::setPosition), 1);

    parker.restore(w);
    EXPECT_EQ(desktop.frameOf(w), (Rect{100, 100, 800, 600}));
    EXPECT_FALSE(parker.isParked(w));
    EXPECT_FALSE(desktop.parkMarkOf(w));
}

TEST_F(WindowParkerTest, ExplicitScreenWinsOverTheWindowsOwn) {
    const AXWindow w = desktop.openWindow(editor, "a", {100, 100, 800, 600});
    EXPECT_EQ(parker.park(w, desktop.screens()[1]), (Rect{3199, 1023, 800, 600}));
    EXPECT_EQ(desktop.parkMarkOf(w), (Rect{100, 100, 800, 600}));
}

TEST_F(WindowParkerTest, UnreadableWindowIsNotParked) {
    const AXWindow w = desktop.openWindow(editor, "a", {100, 100, 800, 600});
    desktop.setFrameReadable(w, false);
    EXPECT_FALSE(parker.park(w));
    EXPECT_EQ(parker.count(), 0);
    EXPECT_FALSE(desktop.parkMarkOf(w));
}

TEST_F(WindowParkerTest, RestoreAllBringsEveryWindowBackOnce) {
    const Rect spread[] = {{0, 0, 800, 600}, {900, 0, 700, 500}, {2000, 100, 600, 400}};
    for (const auto& f : spread) {
        windows.push_back(desktop.openWindow(editor, "w", f));
        parker.park(windows.back());
    }
    EXPECT_EQ(parker.count(), 3);
    parker.restoreAll();
    EXPECT_EQ(parker.count(), 0);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        EXPECT_FALSE(parker.isParked(windows[i]));
        EXPECT_EQ(desktop.frameOf(windows[i]), spread[i]);
        EXPECT_FALSE(desktop.parkMarkOf(windows[i]));
    }
    desktop.clearOperations();
    parker.restoreAll();
    EXPECT_TRUE(desktop.operations().empty());
}

TEST_F(WindowParkerTest, ForgetOfAnUnparkedWindowDoesNothing) {
    const AXWindow w = desktop.openWindow(editor, "a", {0, 0, 800, 600});
    parker.forget(w);
    EXPECT_TRUE(desktop.operations().empty());

    parker.park(w);
    parker.forget(w); // no move back; the mark goes
    EXPECT_FALSE(parker.isParked(w));
    EXPECT_EQ(desktop.frameOf(w), (Rect{1919, 1079, 800, 600}));
    EXPECT_FALSE(desktop.parkMarkOf(w));
}

TEST_F(WindowParkerTest, ClampingWindowManagerSwitchesParkingToMinimising) {
    desktop.setWindowManager(WindowManagerMode::clamping);
    const AXWindow first = desktop.openWindow(editor, "first", {100, 100, 800, 600});
    const AXWindow second = desktop.openWindow(editor, "second", {200, 200, 700, 500});

    // Pulled back so a tenth stays visible: not parked, so it is minimised instead.
    const auto after = parker.park(first);
    EXPECT_EQ(after, (Rect{1840, 1020, 800, 600}));
    EXPECT_FALSE(ScreenGeometry::isParkedPosition(desktop.screens(), *after));
    EXPECT_TRUE(parker.minimisesWindows());
    EXPECT_TRUE(desktop.isIconified(first));
    EXPECT_TRUE(parker.isInParkedPosition(first, *after));

    // Later windows are minimised without trying the corner.
    parker.park(second);
    EXPECT_EQ(desktop.count(second, Kind::setPosition), 0);
    EXPECT_TRUE(desktop.isIconified(second));
    EXPECT_EQ(all(), (std::vector<AXWindow>{second, first})); // hidden, not minimised

    parker.restoreAll();
    EXPECT_FALSE(desktop.isIconified(first));
    EXPECT_EQ(desktop.frameOf(first), (Rect{100, 100, 800, 600}));
    EXPECT_EQ(desktop.frameOf(second), (Rect{200, 200, 700, 500}));
    // A window minimised by the user is not in parked position.
    desktop.minimise(first);
    EXPECT_FALSE(parker.isInParkedPosition(first, *desktop.frameOf(first)));
}

TEST_F(WindowParkerTest, NewProcessRestoresWindowsACrashLeftParked) {
    desktop.setWindowManager(WindowManagerMode::clamping);
    const AXWindow a = desktop.openWindow(editor, "a", {100, 100, 800, 600});
    const AXWindow b = desktop.openWindow(term, "b", {1000, 50, 500, 300});
    const AXWindow untouched = desktop.openWindow(term, "c", {10, 10, 300, 200});
    {
        auto crashed = std::make_unique<WindowParker>(desktop.system().screenSource(),
                                                      desktop.system().windowAccess());
        crashed->park(a);
        crashed->park(b);
        // The process dies here: nothing is restored.
    }
    auto next = desktop.newProcess();
    WindowParker fresh(next->screenSource(), next->windowAccess());
    EXPECT_TRUE(fresh.isInParkedPosition(a, *desktop.frameOf(a)));

    const auto restored = fresh.restoreMarked();
    EXPECT_EQ(restored.size(), 2u);
    EXPECT_EQ(desktop.frameOf(a), (Rect{100, 100, 800, 600}));
    EXPECT_EQ(desktop.frameOf(b), (Rect{1000, 50, 500, 300}));
    EXPECT_FALSE(desktop.isIconified(a));
    EXPECT_FALSE(desktop.isIconified(b));
    EXPECT_FALSE(desktop.parkMarkOf(a));
    EXPECT_EQ(desktop.setFrameCount(untouched), 0);
    EXPECT_TRUE(fresh.restoreMarked().empty());
}

TEST_F(WindowParkerTest, ParkAllKeepsTheContractOfParkForEveryWindow) {
    const AXWindow a = desktop.openWindow(editor, "a", {100, 100, 800, 600});
    const AXWindow b = desktop.openWindow(editor, "b", {2000, 100, 600, 400});
    const AXWindow unreadable = desktop.openWindow(term, "c", {10, 10, 300, 200});
    const AXWindow earlier = desktop.openWindow(term, "d", {300, 300, 400, 300});
    desktop.setFrameReadable(unreadable, false);
    parker.park(earlier);
    desktop.clearOperations();

    const auto after = parker.parkAll({{a, std::nullopt},
                                       {b, std::nullopt},
                                       {unreadable, std::nullopt},
                                       {earlier, desktop.screens()[1]},
                                       {a, desktop.screens()[1]}});
    // Each on the screen holding most of it; the already parked, the unreadable and the
    // repeated entry answer none and change nothing.
    EXPECT_EQ(after, (std::vector<std::optional<Rect>>{Rect{1919, 1079, 800, 600},
                                                       Rect{3199, 1023, 600, 400}, std::nullopt,
                                                       std::nullopt, std::nullopt}));
    EXPECT_EQ(parker.count(), 3);
    EXPECT_FALSE(parker.isParked(unreadable));
    EXPECT_FALSE(desktop.parkMarkOf(unreadable));
    EXPECT_EQ(desktop.count(earlier, Kind::setPosition), 0);
    EXPECT_EQ(desktop.count(a, Kind::setPosition), 1);
    EXPECT_EQ(parker.savedFrame(a), (Rect{100, 100, 800, 600}));
    EXPECT_EQ(parker.savedFrame(unreadable), std::nullopt);
    // Every mark is written before any window moves.
    const auto& ops = desktop.operations();
    const auto firstMove = std::ranges::find_if(
        ops, [](const FakeOperation& op) { return op.kind == Kind::setPosition; });
    EXPECT_EQ(std::count_if(ops.begin(), firstMove,
                            [](const FakeOperation& op) { return op.kind == Kind::setParkMark; }),
              2);
    EXPECT_EQ(
        parker.areInParkedPosition({{a, *after[0]}, {b, *after[1]}, {unreadable, {10, 10, 1, 1}}}),
        (std::vector<bool>{true, true, false}));

    // Restoring some leaves the others parked; each comes back to its first saved frame.
    parker.restoreMany({a, unreadable});
    EXPECT_EQ(desktop.frameOf(a), (Rect{100, 100, 800, 600}));
    EXPECT_FALSE(desktop.parkMarkOf(a));
    EXPECT_TRUE(parker.isParked(b));
    EXPECT_TRUE(parker.isParked(earlier));
    parker.forgetAll({b, earlier, unreadable});
    EXPECT_EQ(parker.count(), 0);
    EXPECT_EQ(desktop.frameOf(b), (Rect{3199, 1023, 600, 400})); // forgotten, not moved
    EXPECT_FALSE(desktop.parkMarkOf(b));
    desktop.clearOperations();
    parker.forgetAll({a, b});
    parker.restoreMany({a, b});
    EXPECT_TRUE(desktop.operations().empty());
    EXPECT_EQ(parker.parkAll({}), (std::vector<std::optional<Rect>>{}));
}

TEST_F(WindowParkerTest, ParkAllUnderAClampingWindowManagerMinimisesTheBatchAndKeepsFrames) {
    openThreeUnderAClampingWindowManager();
    const auto after = parker.parkAll({requests[0], requests[1]});
    // The corner did not hold for either: both go back to their own place and are minimised.
    EXPECT_TRUE(parker.minimisesWindows());
    std::vector<std::pair<AXWindow, Rect>> landed;
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(desktop.isIconified(windows[i]));
        EXPECT_EQ(desktop.frameOf(windows[i]), frames[i]);
        ASSERT_TRUE(after[i]);
        landed.emplace_back(windows[i], *after[i]);
    }
    EXPECT_EQ(parker.areInParkedPosition(landed), (std::vector<bool>{true, true}));
    // Later batches minimise at once, without trying the corner.
    parker.parkAll({requests[2]});
    EXPECT_EQ(desktop.count(windows[2], Kind::setPosition), 0);
    EXPECT_TRUE(desktop.isIconified(windows[2]));
    EXPECT_EQ(all().size(), 3u); // hidden by parking, not minimised

    // Forgetting shows a window where it is; the frame set before stays.
    windows[0].setFrame({0, 0, 900, 500});
    parker.forgetAll({windows[0]});
    EXPECT_FALSE(desktop.isIconified(windows[0]));
    EXPECT_EQ(desktop.frameOf(windows[0]), (Rect{0, 0, 900, 500}));
    EXPECT_FALSE(desktop.parkMarkOf(windows[0]));

    // A process that dies after a batch leaves marks the next one restores from.
    auto next = desktop.newProcess();
    WindowParker fresh(next->screenSource(), next->windowAccess());
    EXPECT_EQ(fresh.restoreMarked().size(), 2u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(desktop.isIconified(windows[i]));
        EXPECT_EQ(desktop.frameOf(windows[i]), frames[i]);
        EXPECT_FALSE(desktop.parkMarkOf(windows[i]));
    }
}

TEST_F(WindowParkerTest, ParkingInStepsSkipsWindowsParkedOrRestoredInBetween) {
    openThreeUnderAClampingWindowManager();
    const auto& w = windows;
    auto batch = parker.prepareParking(requests);
    parker.park(w[0]); // parked another way while the batch's frames were on their way
    parker.sendParking(batch);
    EXPECT_TRUE(parker.isParked(w[1])); // parked from the moment the requests are sent
    parker.restore(w[1]);               // and shown again before the check
    const auto after = parker.confirmParking(batch);

    EXPECT_FALSE(after[0]);
    EXPECT_FALSE(after[1]);
    ASSERT_TRUE(after[2]);
    EXPECT_EQ(parker.savedFrame(w[0]), frames[0]); // not the frame it had once parked
    EXPECT_FALSE(desktop.isIconified(w[1]));
    EXPECT_EQ(desktop.frameOf(w[1]), frames[1]);
    EXPECT_FALSE(desktop.parkMarkOf(w[1]));
    EXPECT_TRUE(desktop.isIconified(w[2]));
    parker.restoreAll();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(desktop.frameOf(w[i]), frames[i]) << i;
}

} // namespace
} // namespace morvanta::testing
