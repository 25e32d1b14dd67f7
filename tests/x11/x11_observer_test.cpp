// Window and focus news from a real X server, with and without a window manager: windows
// opened, closed, minimised and restored, focus moving; nothing for Morvanta's own moves and
// parking; the event descriptor wakes for news read while replies were awaited, and news read
// while work was sent together is handed over as it ends.
#include "ax/window_parker.h"
#include "tests/x11/x11_desktop.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

class X11Observer : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
        observer = desktop->system().makeWindowObserver();
        observer->onEvent = [this](WindowObserver::Event e) {
            (e == WindowObserver::Event::windowsChanged ? windowsChanged : focusChanged)++;
        };
    }
    // Returns once the window manager has handled everything sent so far, and the news of the
    // sync's own throw-away window has come back too.
    void settle() {
        auto& x = desktop->system().connection();
        if (desktop->managed())
            x.syncWithWindowManager();
        x.reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(x.raw()).sequence, x.deadline());
    }
    // Delivers what has arrived until `condition` holds (or the deadline passes).
    bool deliverUntil(const std::function<bool()>& condition) {
        return waitFor([&] {
            settle();
            desktop->system().dispatchPending();
            return condition();
        });
    }
    // Delivers everything that is on its way and resets the counts.
    void drain() {
        settle();
        desktop->system().dispatchPending();
        windowsChanged = focusChanged = 0;
    }
    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<WindowObserver> observer;
    int windowsChanged = 0, focusChanged = 0;
};

TEST_P(X11Observer, WindowsOpeningClosingMinimisingAndRestoring) {
    observer->start();
    observer->start(); // harmless
    EXPECT_TRUE(observer->isStarted());
    const auto a = desktop->open("a", 100, 100, 300, 200);
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; }));
    observer->watch(a);
    observer->watch(a);

    drain();
    ASSERT_EQ(desktop->client().command("iconify a"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; })) << "minimised";

    drain();
    ASSERT_EQ(desktop->client().command("deiconify a"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; })) << "restored";

    drain();
    ASSERT_EQ(desktop->client().command("close a"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; })) << "closed";

    observer->stop();
    drain();
    desktop->open("b", 100, 100, 300, 200);
    drain();
    EXPECT_EQ(windowsChanged, 0);
}

TEST_P(X11Observer, FocusChanges) {
    desktop->open("a", 100, 100, 300, 200);
    const auto b = desktop->open("b", 500, 100, 300, 200);
    // The border's tracker hears every window's focus news, so the focus Morvanta sends is known.
    auto tracker = desktop->system().makeFocusTracker();
    tracker->start();
    observer->start();
    drain();
    ASSERT_EQ(desktop->client().command("focus a"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return focusChanged > 0; }));
    if (desktop->managed())
        return; // the window manager's active window tells of every activation alike
    // The window Morvanta focuses announcing it is no news; another client moving it still is.
    drain();
    desktop->system().windowAccess().sendFocus(b);
    settle();
    desktop->system().dispatchPending();
    EXPECT_EQ(focusChanged, 0);
    ASSERT_EQ(desktop->client().command("focus a"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return focusChanged > 0; }));
}

TEST_P(X11Observer, OwnMovesAndParkingAreNoNews) {
    const auto a = desktop->open("a", 100, 100, 300, 200);
    const auto b = desktop->open("b", 500, 100, 300, 200);
    observer->start();
    observer->watch(a);
    observer->watch(b);
    drain();
    a.setFrame({50, 60, 500, 400});
    desktop->system().windowAccess().setFrames({{a, {70, 80, 400, 300}}, {b, {600, 80, 300, 300}}});
    b.setPosition({700, 90});
    WindowParker parker(desktop->system().screenSource(), desktop->system().windowAccess());
    parker.park(a);
    parker.park(b);
    parker.restoreAll();
    drain();
    EXPECT_EQ(windowsChanged, 0);
    // Real news still comes through afterwards.
    ASSERT_EQ(desktop->client().command("close b"), "ok");
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; }));
}

TEST_P(X11Observer, NewsReadWhileAwaitingRepliesIsDelivered) {
    observer->start();
    drain();
    desktop->client().open("c", 100, 100, 300, 200);
    settle();
    // A request whose reply is awaited reads the news into the queue meanwhile.
    desktop->system().windowList().all();
    pollfd p{desktop->system().eventDescriptor(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 2000), 1);
    EXPECT_TRUE(deliverUntil([&] { return windowsChanged > 0; }));
    // Once everything is delivered the descriptor is quiet.
    drain();
    p.revents = 0;
    EXPECT_EQ(poll(&p, 1, 0), 0);

    // News that work sent together read while it waited is handed over as the work ends, in
    // the same turn, instead of waking the run loop for another.
    const auto d = desktop->handle(desktop->client().open("d", 500, 100, 300, 200));
    settle();
    desktop->system().sendTogether([&] { desktop->system().windowList().all(); });
    EXPECT_GT(windowsChanged, 0);
    drain();
    if (desktop->managed())
        return;
    // Without a window manager a batch longer than the server takes at a time is waited for as
    // it ends: no news of it is left to wake the run loop piece by piece.
    observer->watch(d);
    drain();
    std::vector<std::pair<AXWindow, Rect>> moves;
    for (int i = 0; i < 12; ++i)
        moves.push_back({d, {400.0 + 10 * i, 100, 300, 200}});
    desktop->system().sendTogether([&] {
        for (const auto& move : moves)
            desktop->system().windowAccess().sendFrames({move});
    });
    p.revents = 0;
    EXPECT_EQ(poll(&p, 1, 200), 0);
    EXPECT_EQ(windowsChanged, 0);
}

TEST_P(X11Observer, FocusTrackerFollowsTheFocusedWindowAndItsMoves) {
    const auto a = desktop->open("a", 100, 100, 300, 200);
    const auto b = desktop->open("b", 500, 100, 300, 200);
    ASSERT_EQ(desktop->client().command("focus a"), "ok");
    ASSERT_TRUE(deliverUntil(
        [&] { return desktop->system().windowList().focused() == std::optional<AXWindow>(a); }));
    auto tracker = desktop->system().makeFocusTracker();
    std::vector<std::optional<AXWindow>> reports;
    tracker->onChange = [&](const std::optional<AXWindow>& w) { reports.push_back(w); };
    tracker->start();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], std::optional<AXWindow>(a));

    reports.clear();
    ASSERT_EQ(desktop->client().command("focus b"), "ok");
    EXPECT_TRUE(deliverUntil(
        [&] { return !reports.empty() && reports.back() == std::optional<AXWindow>(b); }));

    // Moving or resizing the focused window reports it again; another window's moves do not.
    reports.clear();
    b.setFrame({520, 120, 350, 250});
    EXPECT_TRUE(deliverUntil([&] { return !reports.empty(); }));
    for (const auto& r : reports)
        EXPECT_EQ(r, std::optional<AXWindow>(b));
    drain();
    reports.clear();
    a.setFrame({120, 130, 320, 220});
    drain();
    EXPECT_TRUE(reports.empty());

    // A keyboard grab and its release, as every shortcut press makes, move no focus and report
    // nothing.
    xcb_connection_t* grabber = xcb_connect(desktop->server().display().c_str(), nullptr);
    const auto root = xcb_setup_roots_iterator(xcb_get_setup(grabber)).data->root;
    std::free(xcb_grab_keyboard_reply(grabber,
                                      xcb_grab_keyboard(grabber, 0, root, XCB_CURRENT_TIME,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                      nullptr));
    xcb_ungrab_keyboard(grabber, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(grabber, xcb_get_input_focus(grabber), nullptr));
    xcb_disconnect(grabber);
    drain();
    EXPECT_TRUE(reports.empty());

    tracker->stop();
    b.setFrame({500, 100, 300, 200});
    drain();
    EXPECT_TRUE(reports.empty());
}

TEST(X11FocusTrackerWithoutFocus, ReportsNothingWhenNoWindowHasFocus) {
    X11Desktop desktop(desktopOptions(false));
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    const auto a = desktop.open("a", 100, 100, 300, 200);
    auto tracker = desktop.system().makeFocusTracker();
    std::vector<std::optional<AXWindow>> reports;
    tracker->onChange = [&](const std::optional<AXWindow>& w) { reports.push_back(w); };
    tracker->start();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0]);
    reports.clear();
    a.setFrame({150, 150, 300, 200});
    desktop.system().dispatchPending();
    waitFor(
        [&] {
            desktop.system().dispatchPending();
            return !reports.empty();
        },
        std::chrono::milliseconds(200));
    EXPECT_TRUE(reports.empty());
    // Focus going to a window of Morvanta's own process reports nothing either.
    auto own = desktop.openSystem(desktop.client().pid());
    auto ownTracker = own->makeFocusTracker();
    std::vector<std::optional<AXWindow>> ownReports;
    ownTracker->onChange = [&](const std::optional<AXWindow>& w) { ownReports.push_back(w); };
    ASSERT_EQ(desktop.client().command("focus a"), "ok");
    ownTracker->start();
    ASSERT_EQ(ownReports.size(), 1u);
    EXPECT_FALSE(ownReports[0]);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Observer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace
