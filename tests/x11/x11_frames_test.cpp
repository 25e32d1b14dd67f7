// Frames on a real X server, with and without a window manager: outer frames read and set
// exactly, stepped sizes reported with their step, vanished windows as absent results.
#include "ax/screen_geometry.h"
#include "ax/x11/x11_frame_memo.h"
#include "tests/x11/x11_desktop.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

class X11Frames : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        desktop = std::make_unique<X11Desktop>(desktopOptions(GetParam()));
        ASSERT_TRUE(desktop->ok()) << desktop->error();
    }
    std::unique_ptr<X11Desktop> desktop;
};

bool near(const Rect& a, const Rect& b) {
    return frameMatches(a, b, std::nullopt, 2.0);
}

TEST_P(X11Frames, SetFrameThenReadItBackIncludingDecorations) {
    const auto w = desktop->open("plain", 50, 60, 400, 300);
    ASSERT_NE(w.id(), 0u);
    const Rect target{200, 150, 640, 480};
    EXPECT_TRUE(w.setFrame(target));
    const auto frame = w.frame();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(near(*frame, target))
        << frame->x << "," << frame->y << " " << frame->width << "x" << frame->height;
    // The batch form agrees, and a second target lands too.
    const Rect second{10, 20, 300, 200};
    EXPECT_EQ(desktop->system().windowAccess().setFrames({{w, second}}), std::vector<bool>{true});
    const auto frames = desktop->system().windowAccess().frames({w, w});
    ASSERT_TRUE(frames[0] && frames[1]);
    EXPECT_TRUE(near(*frames[0], second));
    if (GetParam()) {
        // Under a window manager the client sits inside decorations: the outer frame is larger
        // than the client alone would be.
        auto& x = desktop->system().connection();
        auto g = x.reply<xcb_get_geometry_reply_t>(xcb_get_geometry(x.raw(), w.id()).sequence,
                                                   x.deadline());
        ASSERT_TRUE(g);
        EXPECT_LT(g->height, frames[0]->height);
    }
}

// Without a window manager the frames read back after a batch of moves come from Morvanta's own
// requests and the server's news: no round trip for any number of windows, and every change
// another client makes (a move, a resize, new frame extents) shows in the next reading.
TEST_P(X11Frames, FramesReadBackFollowTheServersNewsOfEveryChange) {
    auto& access = desktop->system().windowAccess();
    auto& x = desktop->system().connection();
    std::vector<AXWindow> windows;
    for (int i = 0; i < 12; ++i) {
        windows.push_back(desktop->open("w" + std::to_string(i), 10 * i, 20, 200, 150));
        x.selectClientEvents(static_cast<xcb_window_t>(windows.back().id())); // as the observer
    }
    x.flush();
    access.frames(windows);
    std::vector<std::pair<AXWindow, Rect>> targets;
    for (std::size_t i = 0; i < windows.size(); ++i)
        targets.emplace_back(windows[i], Rect{100.0 * static_cast<double>(i), 40, 90, 300});
    access.sendFrames(targets);
    access.settle(); // as the layout's check does: a window manager gets its turn
    const long before = x.roundTrips();
    const auto after = access.frames(windows);
    if (!GetParam()) {
        EXPECT_EQ(x.roundTrips() - before, 0) << "own requests are known as sent";
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        ASSERT_TRUE(after[i]) << i;
        EXPECT_TRUE(near(*after[i], targets[i].second)) << i;
    }

    if (GetParam())
        return; // a window manager answers for itself: the news below is without one
    // The moves were not waited for; another client's changes are made after them.
    x.sync();
    auto& other = desktop->client();
    ASSERT_EQ(other.command("move w3 333 222"), "ok");
    ASSERT_EQ(other.command("resize w3 250 180"), "ok");
    EXPECT_TRUE(waitFor([&] {
        return access.frames({windows[3]})[0] == Rect{333, 222, 250, 180};
    }));
    // Extents left on a window are part of its frame, and a change of them is heard of.
    ASSERT_EQ(other.command("extents w3 4 6 20 2"), "ok");
    EXPECT_TRUE(waitFor([&] {
        return access.frames({windows[3]})[0] == Rect{329, 202, 260, 202};
    }));
    ASSERT_EQ(other.command("close w3"), "ok");
    EXPECT_TRUE(waitFor([&] { return !access.frames({windows[3]})[0]; }));
}

TEST_P(X11Frames, PositionAloneKeepsTheSize) {
    const auto w = desktop->open("mover", 100, 100, 320, 240);
    const auto before = w.frame();
    ASSERT_TRUE(before);
    EXPECT_TRUE(w.setPosition({300, 200}));
    const auto after = w.frame();
    ASSERT_TRUE(after);
    EXPECT_TRUE(near(*after, {300, 200, before->width, before->height}));
}

TEST_P(X11Frames, SizeIncrementsAreReported) {
    const auto w = desktop->open("stepped", 40, 40, 400, 300);
    EXPECT_FALSE(w.sizeIncrement());
    ASSERT_EQ(desktop->client().command("increments stepped 6 13"), "ok");
    const auto inc = w.sizeIncrement();
    ASSERT_TRUE(inc);
    EXPECT_EQ(*inc, (Size{6, 13}));
}

TEST_P(X11Frames, XtermSizesInStepsAndCountsAsAtItsTarget) {
    const pid_t xterm = desktop->server().spawn({"xterm", "-geometry", "80x24+10+10"});
    ASSERT_GT(xterm, 0);
    std::optional<AXWindow> term;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& w : desktop->system().windowList().all())
                if (w.bundleIdentifier() == std::optional<std::string>("XTerm"))
                    term = w;
            return term.has_value();
        },
        std::chrono::seconds(10)));
    const auto inc = term->sizeIncrement();
    ASSERT_TRUE(inc);
    EXPECT_GT(inc->width, 1);
    EXPECT_GT(inc->height, 1);
    const Rect target{100, 80, 500, 300};
    term->setFrame(target);
    std::optional<Rect> frame;
    // xterm may resize itself once more after the first configure.
    waitFor([&] {
        frame = term->frame();
        return frame && frameMatches(*frame, target, inc);
    });
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frameMatches(*frame, target, inc))
        << frame->x << "," << frame->y << " " << frame->width << "x" << frame->height;
}

TEST_P(X11Frames, VanishedWindowGivesAbsentResults) {
    const auto w = desktop->open("doomed", 10, 10, 200, 200);
    const auto other = desktop->open("stays", 300, 10, 200, 200);
    ASSERT_EQ(desktop->client().command("close doomed"), "ok");
    EXPECT_FALSE(w.frame());
    EXPECT_EQ(w.title(), "");
    EXPECT_FALSE(w.isMinimized());
    EXPECT_FALSE(w.isFullScreen());
    EXPECT_FALSE(w.isStandard());
    EXPECT_FALSE(w.setFrame({0, 0, 100, 100}));
    EXPECT_FALSE(w.setPosition({5, 5}));
    EXPECT_FALSE(w.sizeIncrement());
    EXPECT_NE(w.focus(), (FocusResult{0, 0, 0}));
    w.raise();
    // A batch with a vanished window still answers the others.
    const auto frames = desktop->system().windowAccess().frames({w, other});
    EXPECT_FALSE(frames[0]);
    EXPECT_TRUE(frames[1]);
    const auto set = desktop->system().windowAccess().setFrames(
        {{w, {0, 0, 100, 100}}, {other, {320, 20, 220, 180}}});
    EXPECT_EQ(set, (std::vector<bool>{false, true}));
    // The forms that do not wait skip it the same way.
    auto& access = desktop->system().windowAccess();
    access.sendFrames({{w, {0, 0, 100, 100}}, {other, {330, 30, 240, 160}}});
    access.sendPositions({{w, {5, 5}}});
    access.sendFocus(w);
    access.queryFrames({w, other}); // dropped uncollected: its answers must not confuse others
    access.settle();
    const auto queried = access.queryFrames({w, other})->collect();
    EXPECT_FALSE(queried[0]);
    ASSERT_TRUE(queried[1]);
    EXPECT_TRUE(near(*queried[1], {330, 30, 240, 160}));
    // Errors from those requests never reach anyone as events, and the connection lives on.
    desktop->system().dispatchPending();
    EXPECT_FALSE(desktop->system().connection().broken());
    EXPECT_TRUE(other.setFrame({320, 20, 220, 180}));
    EXPECT_TRUE(near(*other.frame(), {320, 20, 220, 180}));
}

// Taking a reply that later news has already overtaken waits for nothing, but what was asked
// before it still goes out, as with every wait.
TEST_P(X11Frames, ATakenReplyStillSendsWhatWasAskedBefore) {
    if (GetParam())
        GTEST_SKIP() << "a window manager carries out configure requests its own way";
    const auto w = desktop->open("asked", 50, 60, 400, 300);
    auto& x = desktop->system().connection();
    const auto early = xcb_get_input_focus(x.raw());
    // News from after the request: a property change on the root, read in.
    const std::uint8_t mark = 1;
    xcb_change_property(x.raw(), XCB_PROP_MODE_REPLACE, x.root(), XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                        8, 1, &mark);
    x.sync();
    const std::uint32_t size[] = {222, 111};
    xcb_configure_window(x.raw(), static_cast<xcb_window_t>(w.id()),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    EXPECT_TRUE(x.reply<xcb_get_input_focus_reply_t>(early.sequence, x.deadline()));
    // Seen from another client, without any further flush of Morvanta's.
    xcb_connection_t* other = xcb_connect(desktop->server().display().c_str(), nullptr);
    EXPECT_TRUE(waitFor([&] {
        auto* g = xcb_get_geometry_reply(other, xcb_get_geometry(other, w.id()), nullptr);
        const bool resized = g && g->width == 222 && g->height == 111;
        std::free(g);
        return resized;
    }));
    xcb_disconnect(other);
}

TEST_P(X11Frames, TextsOfAWindow) {
    const auto w = desktop->open("named", 10, 10, 200, 200);
    ASSERT_EQ(desktop->client().command("title named Notes – draft"), "ok");
    EXPECT_EQ(w.title(), "Notes – draft");
    EXPECT_EQ(w.appName(), "MorvantaTest");
    EXPECT_EQ(w.bundleIdentifier(), std::optional<std::string>("MorvantaTest"));
    EXPECT_EQ(w.description(), "MorvantaTest — “Notes – draft”");
    ASSERT_EQ(desktop->client().command("title named"), "ok");
    EXPECT_EQ(w.description(), "MorvantaTest — “”");
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11Frames, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWM"; });

} // namespace

namespace {

TEST_P(X11Frames, WindowNumbersMatchWithinTwoPointsAndGiveTheFrameWindow) {
    const auto w = desktop->open("numbered", 200, 150, 400, 300);
    const auto frame = w.frame();
    ASSERT_TRUE(frame);
    auto& numbers = desktop->system().windowNumbers();
    const auto number = numbers.number(w, *frame);
    ASSERT_TRUE(number);
    // The number is the top-level window: its bounds are the outer frame.
    EXPECT_EQ(numbers.bounds(*number), frame);
    const Rect off2{frame->x + 2, frame->y - 2, frame->width + 2, frame->height - 2};
    EXPECT_EQ(numbers.number(w, off2), number);
    const Rect off201{frame->x + 2.01, frame->y, frame->width, frame->height};
    EXPECT_FALSE(numbers.number(w, off201));
    // A window that gives no process id (as xeyes and xlogo do) is numbered all the same.
    ASSERT_EQ(desktop->client().command("nopid numbered"), "ok");
    EXPECT_EQ(numbers.number(desktop->system().x11Access().handle(w.id(), 0), *frame), number);
    // Off screen: no number.
    ASSERT_EQ(desktop->client().command("unmap numbered"), "ok");
    EXPECT_TRUE(waitFor([&] {
        if (desktop->managed())
            desktop->system().connection().syncWithWindowManager();
        return !numbers.number(w, *frame);
    }));
    ASSERT_EQ(desktop->client().command("close numbered"), "ok");
    // A closed window's number has no bounds (its frame goes with it).
    EXPECT_TRUE(waitFor([&] {
        if (desktop->managed())
            desktop->system().connection().syncWithWindowManager();
        return !numbers.bounds(*number);
    }));
}

// The events one configure brings (the window's own news, then the root's) carry the request's
// own number and may be read apart: until the root's news or an event of a later request, the
// frame remembered is the one asked for, never the one from before.
TEST(X11FrameMemo, ARequestStandsUntilItsOwnNewsOrALaterRequestsEvent) {
    constexpr xcb_window_t root = 1, window = 7;
    X11FrameMemo memo;
    memo.begin(root, 100);
    const auto send = [&](auto event, std::uint8_t type, std::uint16_t sequence) {
        event.response_type = type;
        event.sequence = sequence;
        memo.observe(reinterpret_cast<const xcb_generic_event_t&>(event));
    };
    const auto configured = [&](xcb_window_t to, int x, std::uint16_t sequence) {
        xcb_configure_notify_event_t c{};
        c.event = to;
        c.window = window;
        c.x = static_cast<std::int16_t>(x);
        c.width = c.height = 20;
        send(c, XCB_CONFIGURE_NOTIFY, sequence);
    };
    const auto x = [&] { return memo.known(window)->geometry.x; };
    xcb_create_notify_event_t created{};
    created.parent = root;
    created.window = window;
    created.width = created.height = 10;
    send(created, XCB_CREATE_NOTIFY, 5);
    memo.watch(window);
    memo.learnExtents(window, {}, memo.extentsNews());
    ASSERT_EQ(x(), 0);

    memo.expect(window, 50, 0, 20, 20, 10);
    configured(window, 50, 10); // the window's own news, read before the root's
    EXPECT_EQ(x(), 50);
    configured(root, 50, 10);
    EXPECT_EQ(x(), 50);

    // Asked again; an unrelated event of the same request settles nothing, a later one does.
    memo.expect(window, 80, std::nullopt, std::nullopt, std::nullopt, 12);
    xcb_property_notify_event_t property{};
    property.window = root;
    send(property, XCB_PROPERTY_NOTIFY, 12);
    EXPECT_EQ(x(), 80);
    send(property, XCB_PROPERTY_NOTIFY, 13);
    EXPECT_EQ(x(), 50) << "no news of the move came: the news stands";
}

TEST(X11Trust, TrustedOnAnX11DisplayButNotInAWaylandSession) {
    XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    X11Options options;
    options.display = server.display();
    options.waylandSession = false;
    auto system = X11WindowSystem::open(options);
    ASSERT_TRUE(system);
    EXPECT_TRUE(system->accessibility().checkTrust(false));
    EXPECT_TRUE(system->accessibility().checkTrust(true));
    options.waylandSession = true;
    EXPECT_FALSE(X11WindowSystem::open(options)->accessibility().checkTrust(false));
    options.display = ":99999";
    EXPECT_FALSE(X11WindowSystem::open(options));
}

} // namespace
