// The focus border on a private X server: Morvanta's X11 window system, border and mouse
// monitor, a drag tracker on a manual frame timer, an X client owning the other windows and
// XTEST input, without a window manager or beside Openbox.
#pragma once

#include "ax/border_drag_tracker.h"
#include "ax/fake/fake_frame_timer.h"
#include "ax/x11/x11_border_overlay.h"
#include "ax/x11/x11_mouse_monitor.h"
#include "ax/x11/x11_window_system.h"
#include "tests/support/x11_test_client.h"
#include "tests/support/xtest_input.h"
#include "tests/support/xvfb_server.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace morvanta::testing {

inline constexpr std::uint32_t ringRgb = 0x2a8fd8; // the default colour, 8 bits a channel
inline constexpr std::uint32_t white = 0xffffff, black = 0x000000, grey = 0x808080,
                               green = 0x00a000;

class X11BorderTest : public ::testing::Test {
protected:
    explicit X11BorderTest(bool openbox = false) : openbox_(openbox), server(options(openbox)) {}

    static XvfbOptions options(bool openbox) {
        XvfbOptions o;
        o.width = 1280;
        o.height = 800;
        o.windowManager = openbox ? TestWindowManager::openbox : TestWindowManager::none;
        return o;
    }

    void SetUp() override {
        ASSERT_TRUE(server.ok()) << server.error();
        client = std::make_unique<X11TestClient>(server.display());
        input = std::make_unique<XTestInput>(server.display());
        ASSERT_TRUE(client->ok() && input->ok());
        client->setRootColor(black);
        X11Options x11;
        x11.display = server.display();
        system = X11WindowSystem::open(x11);
        ASSERT_TRUE(system);
        border = X11BorderOverlay::create(*system);
        ASSERT_TRUE(border);
        mouse = X11MouseMonitor::create(system->sharedConnection());
        ASSERT_TRUE(mouse);
        tracker = std::make_unique<BorderDragTracker>(*border, system->windowNumbers(),
                                                      system->screenSource(), *mouse, timer);
        tracker->onDragEnded = [this] { ++ended; };
    }

    AXWindow handle(xcb_window_t window, bool withPid = true) {
        return system->x11Access().handle(
            window, withPid ? static_cast<std::int32_t>(X11TestClient::foreignPid) : 0);
    }
    // Returns once the server has handled every request of Morvanta's connection.
    void settle() {
        auto& x = system->connection();
        x.reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(x.raw()).sequence, x.deadline());
    }
    // One turn of the application's loop: events, then a frame. Under Openbox each turn also
    // sends it a request: an Openbox that has read a pointer event but not acted on it yet
    // does so once another event arrives.
    void pump() {
        if (openbox_)
            system->connection().syncWithWindowManager();
        system->dispatchPending();
        timer.tick();
    }
    bool pumpUntil(const std::function<bool()>& condition) {
        return waitFor([&] {
            pump();
            return condition();
        });
    }
    Rect bounds(const AXWindow& window) {
        const auto number = border->windowNumber(window);
        return number ? system->windowNumbers().bounds(*number).value_or(Rect{}) : Rect{};
    }
    // Starts an xterm (black on white) and answers its window once that has a frame.
    std::optional<AXWindow> startXterm() {
        server.spawn({"xterm", "-geometry", "80x24+200+150", "-bg", "white", "-fg", "black"});
        std::optional<AXWindow> xterm;
        waitFor(
            [&] {
                for (const auto& w : system->windowList().all())
                    if (w.appName().find("xterm") != std::string::npos ||
                        w.title().find("xterm") != std::string::npos)
                        xterm = w;
                return xterm && xterm->frame();
            },
            std::chrono::seconds(10));
        return xterm && xterm->frame() ? xterm : std::nullopt;
    }

    const bool openbox_;
    XvfbServer server;
    std::unique_ptr<X11TestClient> client;
    std::unique_ptr<XTestInput> input;
    std::unique_ptr<X11WindowSystem> system;
    std::unique_ptr<X11BorderOverlay> border;
    std::unique_ptr<X11MouseMonitor> mouse;
    FakeFrameTimer timer;
    std::unique_ptr<BorderDragTracker> tracker;
    int ended = 0;
};

class X11BorderOpenboxTest : public X11BorderTest {
protected:
    X11BorderOpenboxTest() : X11BorderTest(true) {}
};

} // namespace morvanta::testing
