// Cost of one drag-tracker step on a private X server: with the target still (one bounds query,
// nothing redrawn) and with the target moving by a same-size move every frame (one frame change,
// no ring rebuild). Prints time per step and X requests per step (counted by sequence numbers).
#include "ax/border_drag_tracker.h"
#include "ax/fake/fake_frame_timer.h"
#include "ax/x11/x11_border_overlay.h"
#include "ax/x11/x11_mouse_monitor.h"
#include "ax/x11/x11_window_system.h"
#include "tests/support/x11_test_client.h"
#include "tests/support/xtest_input.h"
#include "tests/support/xvfb_server.h"

#include <chrono>
#include <cstdio>

using namespace morvanta;

namespace {

unsigned sequence(X11Connection& x) {
    return xcb_no_operation(x.raw()).sequence;
}

struct Figures {
    double microseconds = 0;
    double requests = 0;
    long rebuilds = 0;
    int updates = 0;
};

template <class BeforeStep>
Figures measure(X11WindowSystem& system, X11BorderOverlay& border, BorderDragTracker& tracker,
                int steps, BeforeStep before) {
    auto& x = system.connection();
    Figures f;
    const long rebuilds = border.ringRebuilds();
    const int updates = tracker.liveUpdates();
    std::chrono::nanoseconds total{0};
    unsigned requests = 0;
    for (int i = 0; i < steps; ++i) {
        before(i);
        const unsigned start = sequence(x);
        const auto t0 = std::chrono::steady_clock::now();
        tracker.step();
        total += std::chrono::steady_clock::now() - t0;
        requests += sequence(x) - start - 1; // less the closing no-op itself
    }
    f.microseconds = std::chrono::duration<double, std::micro>(total).count() / steps;
    f.requests = static_cast<double>(requests) / steps;
    f.rebuilds = border.ringRebuilds() - rebuilds;
    f.updates = tracker.liveUpdates() - updates;
    return f;
}

} // namespace

int main() {
    testing::XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "bench_border: %s\n", server.error().c_str());
        return 1;
    }
    testing::X11TestClient client(server.display());
    testing::XTestInput input(server.display());
    X11Options options;
    options.display = server.display();
    auto system = X11WindowSystem::open(options);
    auto border = system ? X11BorderOverlay::create(*system) : nullptr;
    auto mouse = system ? X11MouseMonitor::create(system->sharedConnection()) : nullptr;
    if (!client.ok() || !input.ok() || !border || !mouse) {
        std::fprintf(stderr, "bench_border: no X connection, SHAPE or XInput 2.2\n");
        return 1;
    }
    FakeFrameTimer timer;
    BorderDragTracker tracker(*border, system->windowNumbers(), system->screenSource(), *mouse,
                              timer);
    const auto target = client.open("target", 100, 100, 800, 600);
    const auto window = system->x11Access().handle(
        target, static_cast<std::int32_t>(testing::X11TestClient::foreignPid));
    border->show(window);
    tracker.target = window;
    tracker.mode = BorderDragTracker::Mode::liveFollow;
    tracker.start();
    input.pointerTo(400, 300);
    input.button(true);
    testing::waitFor([&] {
        system->dispatchPending();
        return tracker.isTracking();
    });
    if (!tracker.isTracking()) {
        std::fprintf(stderr, "bench_border: the drag was not seen\n");
        return 1;
    }

    constexpr int steps = 2000;
    const auto still = measure(*system, *border, tracker, steps, [](int) {});
    const auto moving = measure(*system, *border, tracker, steps, [&](int i) {
        client.configure(target, XCB_CONFIG_WINDOW_X, {static_cast<std::uint32_t>(101 + i % 400)});
    });
    input.button(false);

    std::printf("bench_border: one drag step (liveFollow, %d steps each, Xvfb)\n", steps);
    std::printf("  target still : %7.1f us/step  %4.2f X requests/step  %d border moves  %ld ring "
                "rebuilds\n",
                still.microseconds, still.requests, still.updates, still.rebuilds);
    std::printf("  target moving: %7.1f us/step  %4.2f X requests/step  %d border moves  %ld ring "
                "rebuilds\n",
                moving.microseconds, moving.requests, moving.updates, moving.rebuilds);
    return 0;
}
