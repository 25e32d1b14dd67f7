// X11ParkingPrimitives: the parking side of X11WindowAccess. Marks (the _MORVANTA_PARKED
// property on a client window, holding the frame it had before it was parked: it outlives this
// process, so a later run can put the window back), and minimising and restoring through the
// window manager. Every operation takes a batch of client windows: requests are sent first and
// the window manager is waited for once per batch. The news of Morvanta's own minimising and
// restoring is dropped, so observers do not mistake it for the user's.
#pragma once

#include "ax/x11/x11_connection.h"
#include "core/geometry.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11ParkingPrimitives {
public:
    explicit X11ParkingPrimitives(X11Connection& connection) : connection_(connection) {}

    // Marks are written and cleared unchecked and without waiting: the server handles them
    // before any later request of this connection.
    void setMarks(const std::vector<std::pair<xcb_window_t, Rect>>& marks);
    void clearMarks(const std::vector<xcb_window_t>& windows);
    std::vector<std::optional<Rect>> marks(const std::vector<xcb_window_t>& windows);
    struct Marked {
        xcb_window_t window = 0;
        std::int32_t pid = 0;
        Rect saved;
    };
    // The windows among these that carry a mark, with their processes (0 when unknown).
    std::vector<Marked> marked(const std::vector<xcb_window_t>& windows);

    // Whether each window is minimised once the window manager has handled the requests;
    // all false without a window manager (minimising is its job).
    std::vector<bool> iconify(const std::vector<xcb_window_t>& windows);
    // See WindowAccess::deiconifyAll.
    void deiconify(const std::vector<xcb_window_t>& windows, bool settle);
    std::vector<bool> isIconified(const std::vector<xcb_window_t>& windows);

private:
    // Waits (bounded) until every window is shown and its frame has stopped moving: window
    // managers may animate restoring, and a frame set meanwhile is overridden.
    void waitUntilSettled(const std::vector<xcb_window_t>& windows);
    struct Sample {
        std::vector<std::optional<Rect>> frames;
        bool allShown = true;
    };
    // The windows' frames and whether all are viewable, in one round trip.
    Sample sample(const std::vector<xcb_window_t>& windows);
    // Drops the news of Morvanta's own minimise / restore of these windows.
    void forgetOwnStateChanges(const std::vector<xcb_window_t>& windows);

    X11Connection& connection_;
};

// Asks the window manager to activate and raise the window (as a tool, at the current time):
// how a window is focused beside a window manager, and how one that keeps a minimised client
// mapped is made to restore it.
void requestActivation(X11Connection& connection, xcb_window_t window);

} // namespace morvanta
