#include "ax/x11/x11_frame_memo.h"

namespace morvanta {

void X11FrameMemo::observe(const xcb_generic_event_t& event) {
    if (root_ == XCB_NONE)
        return;
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (c.event == root_ && c.window != root_)
            geometries_[c.window] = {c.x, c.y, c.width, c.height, c.border_width};
        break;
    }
    case XCB_CREATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (c.parent == root_)
            geometries_[c.window] = {c.x, c.y, c.width, c.height, c.border_width};
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        // Into a frame, or back to the root: the next ConfigureNotify tells the new place.
        forget(reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        forget(window);
        watched_.erase(window);
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.atom == extentsAtom_) {
            extents_.erase(p.window);
            ++extentsNews_;
        }
        break;
    }
    default:
        break;
    }
}

void X11FrameMemo::learnExtents(xcb_window_t window, const Extents& extents,
                                std::uint64_t newsWhenAsked) {
    if (newsWhenAsked == extentsNews_ && watched_.contains(window))
        extents_[window] = extents;
}

std::optional<X11FrameMemo::Known> X11FrameMemo::known(xcb_window_t window) const {
    const auto g = geometries_.find(window);
    const auto e = extents_.find(window);
    if (g == geometries_.end() || e == extents_.end())
        return std::nullopt;
    return Known{g->second, e->second};
}

void X11FrameMemo::forget(xcb_window_t window) {
    geometries_.erase(window);
    extents_.erase(window);
}

} // namespace morvanta
