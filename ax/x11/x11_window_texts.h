// X11WindowTexts: what a client window calls itself (its title) and the application class it
// names, read with pipelined requests: X11WindowTextsRequest sends them when made and `collect`
// reads the replies, so many windows' texts (or texts and other reads) share one round trip.
#pragma once

#include "ax/x11/x11_connection.h"

#include <array>
#include <optional>
#include <string>
#include <xcb/xcb.h>

namespace morvanta {

struct X11WindowTexts {
    std::string title;                    // _NET_WM_NAME, else WM_NAME
    std::optional<std::string> className; // the class half of WM_CLASS
};

class X11WindowTextsRequest {
public:
    // Every property the texts are read from.
    static constexpr std::array properties{X11Atom::_NET_WM_NAME, X11Atom::WM_NAME,
                                           X11Atom::WM_CLASS};

    X11WindowTextsRequest(X11Connection& connection, xcb_window_t window);
    X11WindowTexts collect(X11Connection::Deadline deadline);

private:
    X11Connection& connection_;
    xcb_get_property_cookie_t netName_, name_, class_;
};

} // namespace morvanta
