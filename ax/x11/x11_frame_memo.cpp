#include "ax/x11/x11_frame_memo.h"

namespace morvanta {

void X11FrameMemo::observe(const xcb_generic_event_t& event) {
    if (root_ == XCB_NONE)
        return;
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
        observeConfigure(reinterpret_cast<const xcb_configure_notify_event_t&>(event));
        break;
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
    // A keymap notification carries no sequence number.
    if (!expected_.empty() && (event.response_type & 0x7f) != XCB_KEYMAP_NOTIFY)
        settleExpectations(event.sequence);
}

namespace {
// How far `handled` (an event's low 16 bits of this connection's last request the server had
// handled) is past `sequence`; the requests compared are never far apart.
int handledPast(std::uint16_t handled, unsigned sequence) {
    return static_cast<std::int16_t>(handled - static_cast<std::uint16_t>(sequence));
}
} // namespace

void X11FrameMemo::observeConfigure(const xcb_configure_notify_event_t& event) {
    if (event.event != root_ || event.window == root_)
        return;
    geometries_[event.window] = {event.x, event.y, event.width, event.height, event.border_width};
    // The root's news of the request itself (or of a later one) tells what it did.
    if (const auto e = expected_.find(event.window);
        e != expected_.end() && handledPast(event.sequence, e->second.sequence) >= 0)
        expected_.erase(e);
}

void X11FrameMemo::settleExpectations(std::uint16_t handled) {
    // Every event carries the number of this connection's last request the server had handled.
    // The events a request brings carry its own number, and they come one by one: the
    // window's own news of a configure may be read before the root's. Only an event from a
    // later request says all of that news came before it, so what the news told stands.
    std::erase_if(expected_, [&](const auto& entry) {
        return handledPast(handled, entry.second.sequence) > 0;
    });
}

void X11FrameMemo::expect(xcb_window_t window, std::optional<int> x, std::optional<int> y,
                          std::optional<int> width, std::optional<int> height, unsigned sequence) {
    if (!geometries_.contains(window))
        return;
    auto& e = expected_[window];
    // A later request keeps what an earlier, still unannounced one set and it does not.
    e.x = x ? x : e.x;
    e.y = y ? y : e.y;
    e.width = width ? width : e.width;
    e.height = height ? height : e.height;
    e.sequence = sequence;
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
    Known known{g->second, e->second};
    if (const auto x = expected_.find(window); x != expected_.end()) {
        auto& geometry = known.geometry;
        geometry.x = x->second.x.value_or(geometry.x);
        geometry.y = x->second.y.value_or(geometry.y);
        geometry.width = x->second.width.value_or(geometry.width);
        geometry.height = x->second.height.value_or(geometry.height);
    }
    return known;
}

void X11FrameMemo::forget(xcb_window_t window) {
    geometries_.erase(window);
    extents_.erase(window);
    expected_.erase(window);
}

} // namespace morvanta
