// bench_x11: enumerating 100 windows of the test client and reading all their frames on a
// private Xvfb, without and with Openbox: round trips and time of Morvanta's pipelined path,
// beside a baseline that waits for each reply before sending the next request.
#include "tests/x11/x11_desktop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>
#include <xcb/xcb.h>

using namespace morvanta;
using namespace morvanta::testing;

namespace {

constexpr int windowCount = 100;
constexpr int runs = 30;

using Clock = std::chrono::steady_clock;

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The same questions, one request at a time: the root's lists, then for every window its seven
// properties and attributes, then its geometry, position and frame extents.
std::size_t oneAtATime(X11Connection& x, long& roundTrips) {
    auto* c = x.raw();
    const auto wait = [&](auto reply) {
        ++roundTrips;
        std::free(reply);
    };
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, x.root()), nullptr);
    ++roundTrips;
    auto* clients = xcb_get_property_reply(
        c, x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 65536), nullptr);
    ++roundTrips;
    std::vector<xcb_window_t> windows;
    if (clients && xcb_get_property_value_length(clients) > 0) {
        const auto* w = static_cast<xcb_window_t*>(xcb_get_property_value(clients));
        windows.assign(w, w + xcb_get_property_value_length(clients) / 4);
    } else if (tree) {
        const auto* w = xcb_query_tree_children(tree);
        windows.assign(w, w + xcb_query_tree_children_length(tree));
    }
    std::free(tree);
    std::free(clients);
    const X11Atom properties[] = {
        X11Atom::_NET_WM_WINDOW_TYPE, X11Atom::WM_TRANSIENT_FOR, X11Atom::WM_STATE,
        X11Atom::_NET_WM_STATE,       X11Atom::_NET_WM_PID,      X11Atom::_MORVANTA_PARKED};
    for (const auto w : windows) {
        wait(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        for (const auto p : properties)
            wait(xcb_get_property_reply(c, x.getProperty(w, p, XCB_ATOM_ANY, 64), nullptr));
    }
    for (const auto w : windows) {
        wait(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
        wait(xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, x.root(), 0, 0),
                                             nullptr));
        wait(xcb_get_property_reply(
            c, x.getProperty(w, X11Atom::_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4), nullptr));
    }
    return windows.size();
}

struct Figures {
    double medianMs = 0;
    long roundTrips = 0;
    std::size_t windows = 0;
};

template <class F> Figures measure(F&& once) {
    std::vector<double> times;
    Figures f;
    for (int i = 0; i < runs; ++i) {
        long trips = 0;
        const auto start = Clock::now();
        f.windows = once(trips);
        times.push_back(millis(Clock::now() - start));
        f.roundTrips = trips;
    }
    std::sort(times.begin(), times.end());
    f.medianMs = times[times.size() / 2];
    return f;
}

bool runOn(bool openbox) {
    X11Desktop desktop(desktopOptions(openbox));
    if (!desktop.ok()) {
        std::fprintf(stderr, "bench_x11: %s\n", desktop.error().c_str());
        return false;
    }
    auto& system = desktop.system();
    auto& x = system.connection();
    if (desktop.client().command("many " + std::to_string(windowCount) + " w") != "ok")
        return false;
    const bool ready = waitFor(
        [&] {
            if (openbox)
                x.syncWithWindowManager();
            return system.windowList().all().size() == windowCount;
        },
        std::chrono::seconds(30));
    if (!ready) {
        std::fprintf(stderr, "bench_x11: the windows did not appear\n");
        return false;
    }
    const auto pipelined = measure([&](long& trips) {
        const long before = x.roundTrips();
        const auto windows = system.windowList().all();
        const auto frames = system.windowAccess().frames(windows);
        trips = x.roundTrips() - before;
        return static_cast<std::size_t>(
            std::count_if(frames.begin(), frames.end(), [](const auto& f) { return f; }));
    });
    const auto baseline = measure([&](long& trips) { return oneAtATime(x, trips); });
    const char* wm = openbox ? "Openbox" : "no window manager";
    std::printf("%s, %zu windows, median of %d runs:\n", wm, pipelined.windows, runs);
    std::printf("  pipelined (Morvanta):  %6.2f ms  %4ld round trips\n", pipelined.medianMs,
                pipelined.roundTrips);
    std::printf("  one request at a time: %6.2f ms  %4ld round trips\n", baseline.medianMs,
                baseline.roundTrips);
    return true;
}

} // namespace

int main() {
    std::printf("bench_x11: enumerate the test client's windows and read all their frames\n");
    const bool ok = runOn(false) && runOn(true);
    return ok ? 0 : 1;
}
