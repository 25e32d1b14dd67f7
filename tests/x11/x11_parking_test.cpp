// Parking on a real X server, with and without a window manager: parked windows are really out
// of sight (far in a corner, or minimised with Morvanta's mark), come back at exactly their saved
// frames, and a process killed while windows were parked leaves marks a new process restores from.
// Batches park many windows with a handful of round trips, however many windows there are.
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"
#include "tests/x11/x11_desktop.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

class X11Parking : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
    }
    WindowParker makeParker() {
        return WindowParker(desktop->system().screenSource(), desktop->system().windowAccess());
    }
    // What the X server shows: a window is out of sight when it is not viewable, or when no more
    // than a pixel or so of it lies on the screen.
    bool outOfSight(const AXWindow& w) {
        auto& x = desktop->system().connection();
        auto attributes = x.reply<xcb_get_window_attributes_reply_t>(
            xcb_get_window_attributes(x.raw(), w.id()).sequence, x.deadline());
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            return true;
        const auto frame = w.frame();
        const Rect screen{0, 0, 1920, 1080};
        return frame && ScreenGeometry::intersectionArea(*frame, screen) <= 1.0;
    }
    bool listed(const AXWindow& w) {
        const auto all = desktop->system().windowList().all();
        return std::find(all.begin(), all.end(), w) != all.end();
    }
    std::unique_ptr<X11Desktop> desktop;
};

TEST_P(X11Parking, ParkedWindowIsOutOfSightAndComesBackExactly) {
    const auto w = desktop->open("parked", 120, 90, 500, 400);
    const auto saved = w.frame();
    ASSERT_TRUE(saved);
    auto parker = makeParker();

    const auto after = parker.park(w);
    ASSERT_TRUE(after);
    EXPECT_TRUE(parker.isParked(w));
    EXPECT_TRUE(parker.isInParkedPosition(w, *after));
    // A window manager may still be animating the minimising.
    EXPECT_TRUE(waitFor([&] { return outOfSight(w); }));
    // Without a window manager the corner holds; Openbox keeps windows on screen, so the
    // parker switches to minimising.
    EXPECT_EQ(parker.minimisesWindows(), GetParam());
    // Hidden by parking is not minimised: the window stays in the enumeration.
    EXPECT_EQ(w.isMinimized(), std::optional<bool>(false));
    EXPECT_TRUE(listed(w));
    // Parking again changes nothing.
    EXPECT_FALSE(parker.park(w));
    EXPECT_EQ(parker.count(), 1);

    parker.restore(w);
    EXPECT_FALSE(parker.isParked(w));
    EXPECT_EQ(w.frame(), saved);
    EXPECT_FALSE(outOfSight(w));
    EXPECT_FALSE(desktop->system().windowAccess().parkMark(w));
    EXPECT_TRUE(listed(w));
}

TEST_P(X11Parking, LaterParksAndRestoreAllAndForget) {
    const auto a = desktop->open("a", 100, 100, 400, 300);
    const auto b = desktop->open("b", 600, 100, 400, 300);
    const auto c = desktop->open("c", 300, 500, 400, 300);
    const auto fa = a.frame(), fb = b.frame(), fc = c.frame();
    auto parker = makeParker();
    for (const auto& w : {a, b, c})
        ASSERT_TRUE(parker.park(w));
    for (const auto& w : {a, b, c})
        EXPECT_TRUE(waitFor([&] { return outOfSight(w); })) << w.title();
    // Forgetting leaves the window where it is but never hidden for good.
    parker.forget(c);
    EXPECT_FALSE(parker.isParked(c));
    EXPECT_FALSE(desktop->system().windowAccess().parkMark(c));
    if (GetParam()) {
        EXPECT_FALSE(desktop->system().windowAccess().isIconified(c));
    }

    parker.restoreAll();
    EXPECT_EQ(parker.count(), 0);
    EXPECT_EQ(a.frame(), fa);
    EXPECT_EQ(b.frame(), fb);
    EXPECT_FALSE(outOfSight(a));
    EXPECT_FALSE(outOfSight(b));
    parker.restoreAll();
    EXPECT_EQ(parker.count(), 0);
    c.setFrame(*fc);
    EXPECT_EQ(c.frame(), fc);
}

TEST_P(X11Parking, BatchParkingHidesEveryWindowWithFewRoundTripsAndComesBackExactly) {
    std::vector<AXWindow> windows;
    std::vector<std::optional<Rect>> saved;
    std::vector<WindowParker::ParkRequest> requests;
    for (int i = 0; i < 8; ++i) {
        windows.push_back(
            desktop->open("w" + std::to_string(i), 40 + 90 * i, 60 + 40 * i, 300, 200));
        saved.push_back(windows.back().frame());
        ASSERT_TRUE(saved.back());
        requests.emplace_back(windows.back(), std::nullopt);
    }
    auto& x = desktop->system().connection();
    auto parker = makeParker();
    const long before = x.roundTrips();
    const auto after = parker.parkAll(requests);
    // A handful, whatever the number of windows: one per window would be 8 or more.
    EXPECT_LE(x.roundTrips() - before, 8);
    std::vector<std::pair<AXWindow, Rect>> landed;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        ASSERT_TRUE(after[i]) << i;
        landed.emplace_back(windows[i], *after[i]);
    }
    EXPECT_EQ(parker.areInParkedPosition(landed), std::vector<bool>(windows.size(), true));
    EXPECT_EQ(parker.minimisesWindows(), GetParam());
    for (const auto& w : windows) {
        // A window manager may still be animating the minimising.
        EXPECT_TRUE(waitFor([&] { return outOfSight(w); })) << w.title();
        EXPECT_TRUE(listed(w)) << w.title();
    }

    // The first half is shown again at new frames (set first, then forgotten); the rest come
    // back to exactly where they were.
    std::vector<AXWindow> shown(windows.begin(), windows.begin() + 4);
    std::vector<AXWindow> rest(windows.begin() + 4, windows.end());
    std::vector<std::pair<AXWindow, Rect>> targets;
    for (std::size_t i = 0; i < shown.size(); ++i)
        targets.emplace_back(shown[i], Rect{480.0 * static_cast<double>(i), 100, 400, 300});
    desktop->system().windowAccess().setFrames(targets);
    const long beforeForget = x.roundTrips();
    parker.forgetAll(shown);
    EXPECT_LE(x.roundTrips() - beforeForget, 2);
    for (const auto& [w, target] : targets) {
        EXPECT_TRUE(waitFor([&, w = w] { return !outOfSight(w); })) << w.title();
        EXPECT_TRUE(desktop->waitForFrame(w, target)) << w.title();
        EXPECT_FALSE(desktop->system().windowAccess().parkMark(w));
    }
    parker.restoreMany(rest);
    EXPECT_EQ(parker.count(), 0);
    for (std::size_t i = 4; i < windows.size(); ++i) {
        EXPECT_EQ(windows[i].frame(), saved[i]) << i;
        EXPECT_FALSE(outOfSight(windows[i])) << i;
    }
}

TEST_P(X11Parking, VanishedWindowIsNotParked) {
    const auto w = desktop->open("gone", 100, 100, 400, 300);
    ASSERT_EQ(desktop->client().command("close gone"), "ok");
    auto parker = makeParker();
    EXPECT_FALSE(parker.park(w));
    EXPECT_EQ(parker.count(), 0);
    parker.restore(w);
    parker.forget(w);
}

TEST_P(X11Parking, MarksLeftByAKilledProcessRestoreEveryWindowExactly) {
    const auto a = desktop->open("a", 100, 100, 400, 300);
    const auto b = desktop->open("b", 700, 200, 300, 500);
    const auto fa = a.frame(), fb = b.frame();
    ASSERT_TRUE(fa && fb);
    const std::string display = desktop->server().display();
    const std::uint32_t ids[] = {a.id(), b.id()};
    const pid_t clientPid = desktop->client().pid();

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        // Another Morvanta process: parks both windows, reports, and waits to be killed.
        X11Options options;
        options.display = display;
        options.waylandSession = false;
        auto system = X11WindowSystem::open(options);
        if (!system)
            _exit(1);
        WindowParker parker(system->screenSource(), system->windowAccess());
        std::vector<WindowParker::ParkRequest> requests;
        for (const auto id : ids)
            requests.emplace_back(system->x11Access().handle(id, clientPid), std::nullopt);
        for (const auto& after : parker.parkAll(requests))
            if (!after)
                _exit(2);
        if (write(ready[1], "p", 1) != 1)
            _exit(3);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(waitFor([&] { return outOfSight(a) && outOfSight(b); }));
    // Still listed (as not minimised) for the next run to manage.
    EXPECT_TRUE(listed(a));
    EXPECT_TRUE(listed(b));

    auto parker = makeParker();
    auto restored = parker.restoreMarked();
    std::sort(restored.begin(), restored.end());
    std::vector<AXWindow> expected{a, b};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(restored, expected);
    EXPECT_EQ(a.frame(), fa);
    EXPECT_EQ(b.frame(), fb);
    EXPECT_FALSE(outOfSight(a));
    EXPECT_FALSE(outOfSight(b));
    EXPECT_TRUE(parker.restoreMarked().empty());
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Parking, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace
