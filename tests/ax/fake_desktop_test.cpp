// The fake desktop's own promises: window-manager placement, observer events, focus-tracker
// reports and screen changes.
#include "ax/window_parker.h"
#include "desktop_fixture.h"

namespace morvanta::testing {
namespace {

using Event = WindowObserver::Event;

class FakeDesktopTest : public DesktopTest {
protected:
    FakeDesktopTest() {
        observer->onEvent = [this](Event e) { events.push_back(e); };
        tracker->onChange = [this](const std::optional<AXWindow>& w) { reports.push_back(w); };
    }
    std::vector<Event> takeEvents() { return std::exchange(events, {}); }
    std::vector<std::optional<AXWindow>> takeReports() { return std::exchange(reports, {}); }

    std::unique_ptr<WindowObserver> observer = desktop.system().makeWindowObserver();
    std::unique_ptr<FocusTracker> tracker = desktop.system().makeFocusTracker();
    std::vector<Event> events;
    std::vector<std::optional<AXWindow>> reports;
};

TEST_F(FakeDesktopTest, ExactModePlacesAnywhereClampingModeKeepsATenthOnScreen) {
    const AXWindow w = desktop.openWindow(term, "xterm", {0, 0, 400, 200},
                                          {.sizeIncrement = Size{6, 13}, .baseSize = {4, 4}});
    EXPECT_TRUE(w.setFrame({5000, -3000, 500, 300}));
    EXPECT_EQ(w.frame(), (Rect{5000, -3000, 500, 300}));

    desktop.setWindowManager(WindowManagerMode::clamping);
    EXPECT_TRUE(w.setFrame({10, 20, 500, 300}));
    EXPECT_EQ(w.frame(), (Rect{10, 20, 496, 290})); // 4 + 82 × 6, 4 + 22 × 13
    EXPECT_EQ(w.sizeIncrement(), (Size{6, 6 + 7}));
    // Off the right of B and above the top: a tenth of the window stays on B.
    w.setPosition({5000, -3000});
    EXPECT_EQ(w.frame(), (Rect{3200 - 50, -290 + 29, 496, 290}));
}

TEST_F(FakeDesktopTest, ObserverHearsUserChangesButNotMorvantasOwnMoves) {
    observer->start();
    observer->start(); // harmless
    const AXWindow w = desktop.openWindow(editor, "a", {0, 0, 800, 600}, {.activate = false});
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::windowsChanged}));

    // Minimising is heard only through the per-window watch; restoring always.
    desktop.minimise(w);
    EXPECT_TRUE(takeEvents().empty());
    desktop.unminimise(w);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::windowsChanged}));
    observer->watch(w);
    desktop.minimise(w);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::windowsChanged}));
    desktop.unminimise(w);
    takeEvents();

    // Moves, resizes and parking by Morvanta, and a user's drag, change no window set.
    w.setFrame({10, 10, 500, 500});
    WindowParker parker(desktop.system().screenSource(), access());
    parker.park(w);
    parker.restore(w);
    access().iconify(w);
    access().deiconify(w);
    desktop.userMove(w, {40, 40});
    EXPECT_TRUE(takeEvents().empty());

    // Focus by the user or by request.
    desktop.focus(w);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::focusChanged}));
    desktop.clearFocus();
    w.focus();
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::focusChanged, Event::focusChanged}));

    // Closing the focused window: the set changes, and so does the focus.
    desktop.closeWindow(w);
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::windowsChanged, Event::focusChanged}));

    // This process's own windows are not observed; a stopped observer hears nothing.
    desktop.openWindow(FakeDesktop::morvantaPid, "own", {0, 0, 10, 10}, {.activate = false});
    EXPECT_TRUE(takeEvents().empty());
    observer->stop();
    desktop.openWindow(editor, "b", {0, 0, 800, 600});
    EXPECT_TRUE(takeEvents().empty());
}

TEST_F(FakeDesktopTest, AnObserverMayStopItselfFromItsCallback) {
    observer->start();
    observer->onEvent = [this](Event) { observer->stop(); };
    desktop.openWindow(editor, "a", {0, 0, 800, 600});
    EXPECT_FALSE(observer->isStarted());
}

TEST_F(FakeDesktopTest, VanishingWindowIsClosedAsItsApplicationWould) {
    observer->start();
    const AXWindow w = desktop.openWindow(editor, "a", {0, 0, 800, 600}, {.activate = false});
    takeEvents();
    desktop.vanishAfter(w, 0);
    EXPECT_FALSE(w.frame());
    EXPECT_EQ(takeEvents(), (std::vector<Event>{Event::windowsChanged}));
}

TEST_F(FakeDesktopTest, FocusTrackerFollowsTheFocusedWindowAndItsMoves) {
    const AXWindow a = desktop.openWindow(editor, "a", {0, 0, 800, 600});
    const AXWindow b = desktop.openWindow(term, "b", {900, 0, 500, 300}, {.activate = false});
    tracker->start();
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{a}));

    desktop.focus(b);
    desktop.userMove(b, {950, 10});  // the user drags it
    b.setFrame({0, 0, 900, 1000});   // Morvanta lays it out
    b.setFrame({0, 0, 900, 1000});   // already there: nothing moves
    desktop.userMove(a, {100, 100}); // not the focused window
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{b, b, b}));

    desktop.clearFocus();
    desktop.userMove(b, {0, 0});
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{std::nullopt}));

    // An own window with focus counts as none, and its moves are not followed.
    const AXWindow own = desktop.openWindow(FakeDesktop::morvantaPid, "own", {0, 0, 10, 10});
    desktop.userMove(own, {20, 20});
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{std::nullopt}));

    // Closing the focused window hands focus to the top-most remaining one.
    desktop.closeWindow(own);
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{b}));

    // Parking the focused window under a clamping window manager: the corner move and the move
    // back to its own place are reported, then the window is minimised and the focus moves on.
    desktop.setWindowManager(WindowManagerMode::clamping);
    desktop.focus(a);
    takeReports();
    WindowParker parker(desktop.system().screenSource(), access());
    parker.park(a);
    EXPECT_EQ(takeReports(), (std::vector<std::optional<AXWindow>>{a, a, b}));

    tracker->stop();
    desktop.focus(b);
    EXPECT_TRUE(takeReports().empty());
}

TEST_F(FakeDesktopTest, ScreenChangesReachEveryView) {
    int mine = 0;
    int theirs = 0;
    desktop.system().onScreensChanged = [&] { ++mine; };
    auto other = desktop.newProcess(99);
    other->onScreensChanged = [&] { ++theirs; };

    desktop.addScreen(FakeDesktop::makeScreen("C", {-1024, 0, 1024, 768}));
    desktop.changeScreen("C", FakeDesktop::makeScreen("C", {-1024, 0, 1024, 700}));
    desktop.removeScreen("A");
    desktop.removeScreen("nothing");
    EXPECT_EQ(mine, 3);
    EXPECT_EQ(theirs, 3);
    const auto screens = other->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].identity, "B"); // the first remaining screen is now the primary one
    EXPECT_EQ(screens[1].frame.height, 700);
}

} // namespace
} // namespace morvanta::testing
