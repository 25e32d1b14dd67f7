// The focus border on a private X server: the ring's pixels, click-through, stacking, the
// mouse monitor, and drags made with XTEST (with and without Openbox).
#include "ax/x11/x11_refresh_rate.h"
#include "tests/border/x11_border_fixture.h"

namespace morvanta::testing {
namespace {

TEST_F(X11BorderTest, RingReachesTheScreenAndClicksPassThrough) {
    client->open("beneath", 50, 50, 600, 500,
                 {.rgb = grey, .eventMask = XCB_EVENT_MASK_BUTTON_PRESS});
    const auto target = client->open("target", 100, 100, 400, 300);
    ASSERT_TRUE(border->show(handle(target)));
    settle();
    // The band's width and corners are the ring geometry's own tests; on the screen it shows
    // beside every edge, cut away at the corner, with the window's own pixels untouched.
    EXPECT_TRUE(waitFor([&] { return client->pixel(97, 250) == ringRgb; }));
    for (auto [x, y] : {std::pair{502, 250}, {300, 97}, {300, 402}})
        EXPECT_EQ(client->pixel(x, y), ringRgb) << x << "," << y;
    EXPECT_EQ(client->pixel(95, 250), grey);
    EXPECT_EQ(client->pixel(96, 96), grey);
    EXPECT_EQ(client->pixel(300, 250), white);

    // A click on the ring lands on the window beneath it, and the monitor sees it too.
    std::vector<MouseEvent> seen;
    const int listener = mouse->addListener([&](MouseEvent e) { seen.push_back(e); });
    client->pendingEventTypes();
    input->pointerTo(97, 250);
    input->button(true);
    input->button(false);
    const auto events = client->pendingEventTypes();
    EXPECT_NE(std::find(events.begin(), events.end(), XCB_BUTTON_PRESS), events.end());
    EXPECT_TRUE(pumpUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, (std::vector{MouseEvent::leftDown, MouseEvent::leftUp}));
    EXPECT_EQ(mouse->location(), (Point{97, 250}));
    mouse->removeListener(listener);
}

TEST_F(X11BorderTest, StacksAboveTheTargetAndBelowWindowsAboveIt) {
    const auto target = client->open("target", 100, 100, 400, 300);
    const auto other = client->open("other", 300, 200, 400, 300, {.rgb = green});
    client->configure(target, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    ASSERT_TRUE(border->show(handle(target)));
    settle();
    EXPECT_EQ(client->stackIndex(border->window()), client->stackIndex(target) + 1);

    // A window raised above the target covers the ring as well.
    client->configure(other, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    EXPECT_TRUE(pumpUntil([&] {
        return client->stackIndex(border->window()) == client->stackIndex(target) + 1 &&
               client->stackIndex(other) > client->stackIndex(border->window());
    }));
    EXPECT_EQ(client->pixel(502, 250), green);
    EXPECT_EQ(client->pixel(97, 250), ringRgb);

    // A window slipped in directly above the target: the ring goes back onto the target.
    client->configure(other, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                      {target, XCB_STACK_MODE_ABOVE});
    EXPECT_TRUE(pumpUntil(
        [&] { return client->stackIndex(border->window()) == client->stackIndex(target) + 1; }));
    // The target raised to the top takes the ring with it.
    client->configure(target, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    EXPECT_TRUE(pumpUntil([&] {
        const auto order = client->stacking();
        return order.size() >= 2 && order.back() == border->window() &&
               order[order.size() - 2] == target;
    }));
}

TEST_F(X11BorderTest, WindowWithoutProcessIdIsStackedAboveAndFollowedInADrag) {
    // Many older programs (xeyes, xlogo) never set _NET_WM_PID: the handle still names the
    // window, so the ring still sits just above it rather than above everything.
    const auto target = client->open("target", 100, 100, 400, 300, {.withPid = false});
    const auto other = client->open("other", 300, 200, 400, 300, {.rgb = green});
    client->configure(target, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    const auto window = handle(target, false);
    ASSERT_TRUE(border->show(window));
    settle();
    EXPECT_EQ(border->cachedNumber(), std::optional<std::uint32_t>(target));
    EXPECT_EQ(client->stackIndex(border->window()), client->stackIndex(target) + 1);
    client->configure(other, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    EXPECT_TRUE(pumpUntil([&] { return client->stacking().back() == other; }));

    tracker->target = window;
    tracker->mode = BorderDragTracker::Mode::liveFollow;
    tracker->start();
    input->pointerTo(150, 150);
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    client->configure(target, XCB_CONFIG_WINDOW_X, {140});
    EXPECT_TRUE(pumpUntil([&] { return border->frame().x == 136; }));
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 1; }));
}

TEST_F(X11BorderTest, FloatsOnTopWhenTheNumberIsUnknown) {
    // A window that is not on screen has a frame but no number to stack against.
    const auto target = client->open("target", 100, 100, 400, 300, {.map = false});
    ASSERT_TRUE(border->show(handle(target)));
    settle();
    EXPECT_FALSE(border->cachedNumber());
    EXPECT_EQ(client->stacking().back(), border->window());
    const auto later = client->open("later", 150, 150, 100, 100, {.rgb = green});
    client->configure(later, XCB_CONFIG_WINDOW_STACK_MODE, {XCB_STACK_MODE_ABOVE});
    EXPECT_TRUE(pumpUntil([&] { return client->stacking().back() == border->window(); }));
    border->hide();
    settle();
    EXPECT_FALSE(border->isVisible());
    EXPECT_EQ(client->pixel(97, 250), black);
}

TEST_F(X11BorderTest, SameSizeMovesKeepTheShapeAndSizeChangesRebuildIt) {
    const auto target = client->open("target", 100, 100, 400, 300);
    ASSERT_TRUE(border->show(handle(target)));
    client->selectShape(border->window());
    const long rebuilds = border->ringRebuilds();
    client->configure(target, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, {300, 250});
    ASSERT_TRUE(border->show(handle(target)));
    settle();
    EXPECT_EQ(border->frame(), (Rect{296, 246, 408, 308}));
    EXPECT_EQ(client->shapeNotifies(), 0);
    EXPECT_EQ(border->ringRebuilds(), rebuilds);
    EXPECT_TRUE(waitFor([&] { return client->pixel(297, 400) == ringRgb; }));

    client->configure(target, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, {200, 150});
    ASSERT_TRUE(border->show(handle(target)));
    settle();
    EXPECT_EQ(client->shapeNotifies(), 1);
    EXPECT_EQ(border->ringRebuilds(), rebuilds + 1);
    EXPECT_EQ(client->pixel(501, 300), ringRgb);
    EXPECT_EQ(client->pixel(505, 320), black) << "the old, larger ring is gone";
}

TEST_F(X11BorderTest, DragModesWithoutWindowManager) {
    const auto target = client->open("target", 100, 100, 400, 300);
    const auto window = handle(target);
    ASSERT_TRUE(border->show(window));
    tracker->target = window;
    tracker->start();

    // Resizing with the button held (the test moves the window as a window manager would):
    // the ring follows the real bounds.
    input->pointerTo(300, 250);
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    client->configure(target, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, {450, 320});
    input->pointerTo(350, 270);
    EXPECT_TRUE(pumpUntil([&] { return border->frame() == (Rect{96, 96, 458, 328}); }));
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 1 && !tracker->isTracking(); }));

    // Live follow: only renders that changed the frame count.
    tracker->mode = BorderDragTracker::Mode::liveFollow;
    const int before = tracker->liveUpdates();
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    for (int i = 0; i < 5; ++i)
        pump();
    EXPECT_EQ(tracker->liveUpdates(), before);
    client->configure(target, XCB_CONFIG_WINDOW_X, {140});
    EXPECT_TRUE(pumpUntil([&] { return border->frame().x == 136; }));
    for (int i = 0; i < 5; ++i)
        pump();
    EXPECT_EQ(tracker->liveUpdates(), before + 1);
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 2; }));

    // Hide while dragging: a click keeps the ring, the first changed frame hides it.
    tracker->mode = BorderDragTracker::Mode::hideWhileDragging;
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    for (int i = 0; i < 5; ++i)
        pump();
    EXPECT_TRUE(border->isVisible());
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 3; }));
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    client->configure(target, XCB_CONFIG_WINDOW_Y, {130});
    EXPECT_TRUE(pumpUntil([&] { return !border->isVisible(); }));
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 4; }));

    // Notifications only: nothing tracked, yet the end of every drag is reported.
    tracker->mode = BorderDragTracker::Mode::notificationsOnly;
    input->button(true);
    for (int i = 0; i < 5; ++i)
        pump();
    EXPECT_FALSE(tracker->isTracking());
    input->button(false);
    EXPECT_TRUE(pumpUntil([&] { return ended == 5; }));
}

TEST_F(X11BorderOpenboxTest, PredictiveDragByTheTitleBar) {
    const auto target = client->open("target", 300, 300, 400, 300);
    const auto window = handle(target);
    const auto managed = [&] {
        pump(); // a frame that went away leaves the number cache
        const auto f = window.frame();
        const auto focused = system->windowList().focused();
        return f && f->height > 300 && border->windowNumber(window).has_value() &&
               focused == window; // Openbox is done with the new window
    };
    ASSERT_TRUE(waitFor(managed, std::chrono::seconds(10)))
        << "frame " << (window.frame() ? window.frame()->height : -1.0) << ", numbered "
        << border->windowNumber(window).has_value() << ", focused "
        << (system->windowList().focused() == window);
    ASSERT_TRUE(border->show(window));
    const Rect start = bounds(window);
    ASSERT_GT(start.width, 0) << window.frame()->x << "," << window.frame()->y << " "
                              << window.frame()->width << "x" << window.frame()->height;
    EXPECT_EQ(border->frame(), border->panelFrame(start));
    tracker->target = window;
    tracker->start();

    // Grab the title bar and drag right and down in steps.
    const int grabX = static_cast<int>(start.x + 150), grabY = static_cast<int>(start.y + 8);
    input->pointerTo(grabX, grabY);
    input->button(true);
    ASSERT_TRUE(pumpUntil([&] { return tracker->isTracking(); }));
    for (int i = 1; i <= 10; ++i)
        input->pointerTo(grabX + 8 * i, grabY + 5 * i);
    Rect predicted = start;
    predicted.x += 80;
    predicted.y += 50;
    EXPECT_TRUE(pumpUntil([&] { return border->frame() == border->panelFrame(predicted); }))
        << border->frame().x << "," << border->frame().y;

    // Upwards past the top of the screen: the ring stays below the visible frame's top.
    input->pointerTo(grabX + 80, 2);
    const double top = system->screenSource().screens().front().visibleFrame.y;
    EXPECT_TRUE(pumpUntil([&] { return border->frame().y == top - border->width(); }))
        << border->frame().y;
    EXPECT_GT(tracker->liveUpdates(), 0);

    input->button(false);
    ASSERT_TRUE(pumpUntil([&] { return ended == 1 && !tracker->isTracking(); }));
    // The owner's end-of-drag step: the ring goes around the real final frame.
    ASSERT_TRUE(border->show(window));
    EXPECT_EQ(border->frame(), border->panelFrame(bounds(window)));
}

TEST_F(X11BorderOpenboxTest, RingAroundAnXtermAndAnXlogo) {
    client->setRootColor(0x303030);
    const auto xterm = startXterm();
    ASSERT_TRUE(xterm);
    ASSERT_TRUE(border->show(*xterm));
    const Rect frame = *xterm->frame();
    settle();
    const int midY = static_cast<int>(frame.midY());
    EXPECT_TRUE(waitFor([&] {
        return client->pixel(static_cast<int>(frame.x) - 2, midY) == ringRgb &&
               client->pixel(static_cast<int>(frame.maxX()) + 1, midY) == ringRgb;
    }));
    EXPECT_EQ(client->pixel(static_cast<int>(frame.x) - 5, midY), 0x303030u);
    EXPECT_EQ(client->stackIndex(border->window()),
              client->stackIndex(*border->cachedNumber()) + 1);

    // xlogo gives no process id: its ring still sits directly above its frame.
    server.spawn({"xlogo", "-geometry", "200x200+900+150"});
    std::optional<AXWindow> xlogo;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto& w : system->windowList().all())
                if (w.appName() == "XLogo")
                    xlogo = w;
            return xlogo && xlogo->frame() && system->windowList().focused() == xlogo;
        },
        std::chrono::seconds(10)));
    EXPECT_EQ(xlogo->pid(), 0);
    ASSERT_TRUE(border->show(*xlogo));
    settle();
    ASSERT_TRUE(border->cachedNumber());
    EXPECT_EQ(system->windowNumbers().bounds(*border->cachedNumber()), xlogo->frame());
    EXPECT_EQ(client->stackIndex(border->window()),
              client->stackIndex(*border->cachedNumber()) + 1);
}

TEST(X11RefreshRate, ModeTiming) {
    EXPECT_NEAR(X11RefreshRate::modeHz(148.5e6, 2200, 1125, false, false), 60.0, 1e-9);
    EXPECT_NEAR(X11RefreshRate::modeHz(74.25e6, 2200, 1125, true, false), 60.0, 1e-9);
    EXPECT_EQ(X11RefreshRate::modeHz(0, 2200, 1125, false, false), 0);
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    auto connection = X11Connection::open(server.display());
    ASSERT_TRUE(connection);
    const double hz = X11RefreshRate::primaryHz(*connection);
    EXPECT_GT(hz, 0);
    EXPECT_LE(hz, 1000);
}

} // namespace
} // namespace morvanta::testing
