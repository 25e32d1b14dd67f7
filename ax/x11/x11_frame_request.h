// X11FrameRequest: a window's outer frame (decorations included, from _NET_FRAME_EXTENTS) in
// root coordinates, read with three pipelined requests; many can be sent before any is collected.
#pragma once

#include "ax/x11/x11_connection.h"
#include "core/geometry.h"

#include <optional>
#include <xcb/xcb.h>

namespace morvanta {

// What lies between the client window's inside and its outer frame.
struct X11Decorations {
    int left = 0, right = 0, top = 0, bottom = 0, border = 0;
};

struct X11FrameReading {
    Rect frame;
    X11Decorations decorations;
};

class X11FrameRequest {
public:
    X11FrameRequest(X11Connection& connection, xcb_window_t window);
    // The reading the connection's frame memo gives without asking, when the window's geometry
    // and extents are both known there. Only without a window manager (every client then is a
    // root child) and only as current as the news read so far: sync first.
    static std::optional<X11FrameReading> remembered(X11Connection& connection,
                                                     xcb_window_t window);
    std::optional<X11FrameReading> collect(X11Connection::Deadline deadline);
    // Tells the connection the answers of a request that will not be collected are unwanted.
    void discard();

private:
    X11Connection& connection_;
    xcb_window_t window_;
    std::uint64_t extentsNewsWhenAsked_;
    xcb_get_geometry_cookie_t geometry_;
    xcb_translate_coordinates_cookie_t position_;
    xcb_get_property_cookie_t extents_;
};

} // namespace morvanta
