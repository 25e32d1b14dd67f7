// X11WindowFacts: the properties that decide whether a client window is tileable, read for many
// windows at once: every request is sent by `send`, and `collect` reads the replies afterwards.
#pragma once

#include "ax/x11/x11_connection.h"
#include "core/geometry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

struct X11WindowFacts {
    enum class Kind { standard, other, unreadable };

    bool exists = false; // false: the window vanished or could not be read
    bool viewable = false;
    bool overrideRedirect = false;
    std::int32_t pid = 0;
    Kind kind = Kind::unreadable;
    bool iconic = false; // WM_STATE Iconic or _NET_WM_STATE_HIDDEN, parking ignored
    bool fullScreen = false;
    std::optional<Rect> mark; // the frame saved by Morvanta's parking
    // The window manager's desktop the window is on (_NET_WM_DESKTOP); allDesktops for a
    // sticky window, none when unset.
    std::optional<std::uint32_t> desktop;
    static constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
};

class X11WindowFactsRequest {
public:
    // Every property the facts are read from: a change of any other leaves them as they are.
    static constexpr std::array properties{
        X11Atom::_NET_WM_WINDOW_TYPE, X11Atom::WM_TRANSIENT_FOR, X11Atom::WM_STATE,
        X11Atom::_NET_WM_STATE,       X11Atom::_NET_WM_PID,      X11Atom::_MORVANTA_PARKED,
        X11Atom::_NET_WM_DESKTOP};

    X11WindowFactsRequest(X11Connection& connection, xcb_window_t window);
    X11WindowFacts collect(X11Connection::Deadline deadline);

private:
    X11Connection& connection_;
    xcb_get_window_attributes_cookie_t attributes_;
    xcb_get_property_cookie_t type_, transient_, wmState_, netState_, pid_, mark_, desktop_;
};

// Helpers over property replies (null replies and wrong formats give empty results).
std::vector<std::uint32_t> propertyValues32(const xcb_get_property_reply_t* reply);
std::optional<std::string> propertyText(const xcb_get_property_reply_t* reply);
std::optional<Rect> parseParkMark(const xcb_get_property_reply_t* reply);

} // namespace morvanta
