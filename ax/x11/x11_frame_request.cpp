#include "ax/x11/x11_frame_request.h"

#include "ax/x11/x11_window_facts.h"

namespace morvanta {

X11FrameRequest::X11FrameRequest(X11Connection& connection, xcb_window_t window)
    : connection_(connection), window_(window),
      extentsNewsWhenAsked_(connection.frameMemo().extentsNews()) {
    geometry_ = xcb_get_geometry(connection_.raw(), window);
    position_ = xcb_translate_coordinates(connection_.raw(), window, connection_.root(), 0, 0);
    extents_ = connection_.getProperty(window, X11Atom::_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
}

void X11FrameRequest::discard() {
    for (const unsigned sequence : {geometry_.sequence, position_.sequence, extents_.sequence})
        xcb_discard_reply(connection_.raw(), sequence);
}

std::optional<X11FrameReading> X11FrameRequest::collect(X11Connection::Deadline deadline) {
    auto geometry = connection_.reply<xcb_get_geometry_reply_t>(geometry_.sequence, deadline);
    auto position =
        connection_.reply<xcb_translate_coordinates_reply_t>(position_.sequence, deadline);
    auto extents = connection_.reply<xcb_get_property_reply_t>(extents_.sequence, deadline);
    if (!geometry || !position)
        return std::nullopt;
    X11Decorations d;
    d.border = geometry->border_width;
    if (const auto e = propertyValues32(extents.get()); e.size() == 4) {
        d.left = static_cast<int>(e[0]);
        d.right = static_cast<int>(e[1]);
        d.top = static_cast<int>(e[2]);
        d.bottom = static_cast<int>(e[3]);
    }
    if (extents)
        connection_.frameMemo().learnExtents(window_, {d.left, d.right, d.top, d.bottom},
                                             extentsNewsWhenAsked_);
    // Translation gives the inside corner of the client; the frame starts before its border
    // and the window manager's decorations.
    const Rect frame{static_cast<double>(position->dst_x - d.border - d.left),
                     static_cast<double>(position->dst_y - d.border - d.top),
                     static_cast<double>(geometry->width + 2 * d.border + d.left + d.right),
                     static_cast<double>(geometry->height + 2 * d.border + d.top + d.bottom)};
    return X11FrameReading{frame, d};
}

std::optional<X11FrameReading> X11FrameRequest::remembered(X11Connection& connection,
                                                           xcb_window_t window) {
    const auto known = connection.frameMemo().known(window);
    if (!known)
        return std::nullopt;
    const auto& g = known->geometry;
    const auto& e = known->extents;
    const X11Decorations d{e.left, e.right, e.top, e.bottom, g.border};
    // A root child's position is its frame's outer corner; the decorations lie around it.
    const Rect frame{static_cast<double>(g.x - d.left), static_cast<double>(g.y - d.top),
                     static_cast<double>(g.width + 2 * d.border + d.left + d.right),
                     static_cast<double>(g.height + 2 * d.border + d.top + d.bottom)};
    return X11FrameReading{frame, d};
}

} // namespace morvanta
