// X11WindowHints: what a client window says of its own size and of the screen it needs: the
// steps it resizes in (WM_NORMAL_HINTS) and whether it reserves screen space (a dock's struts).
// X11WindowHintsRequest sends the reads when made and `collect` reads the replies, so they
// share round trips with other reads, or are asked for while a new window's refresh waits.
#pragma once

#include "ax/x11/x11_connection.h"
#include "core/geometry.h"

#include <array>
#include <optional>
#include <xcb/xcb.h>

namespace morvanta {

struct X11WindowHints {
    std::optional<Size> sizeIncrement; // none: resizes to any size
    bool reservesSpace = false;        // _NET_WM_STRUT_PARTIAL or _NET_WM_STRUT is set
};

class X11WindowHintsRequest {
public:
    // Every property the hints are read from.
    static constexpr std::array properties{X11Atom::WM_NORMAL_HINTS, X11Atom::_NET_WM_STRUT_PARTIAL,
                                           X11Atom::_NET_WM_STRUT};

    X11WindowHintsRequest(X11Connection& connection, xcb_window_t window);
    X11WindowHints collect(X11Connection::Deadline deadline);

private:
    X11Connection& connection_;
    xcb_get_property_cookie_t normalHints_, strutPartial_, strut_;
};

} // namespace morvanta
