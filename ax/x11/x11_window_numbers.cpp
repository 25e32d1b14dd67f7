#include "ax/x11/x11_window_numbers.h"

#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_facts.h"
#include "ax/x11/x11_window_list.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

namespace {

bool within(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
           std::abs(a.width - b.width) <= tolerance && std::abs(a.height - b.height) <= tolerance;
}

} // namespace

std::optional<std::uint32_t> X11WindowNumbers::number(std::int32_t pid, const Rect& frame) {
    auto& x = access_->connection();
    std::vector<xcb_window_t> frontToBack;
    if (x.windowManager()) {
        auto stacking = x.reply<xcb_get_property_reply_t>(
            x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, 65536)
                .sequence,
            x.deadline());
        frontToBack = propertyValues32(stacking.get());
    } else {
        frontToBack = access_->topLevelCandidates();
    }
    std::reverse(frontToBack.begin(), frontToBack.end());

    const auto d = x.deadline();
    struct Pending {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t pid;
        X11FrameRequest frame;
    };
    std::vector<Pending> pending;
    pending.reserve(frontToBack.size());
    for (const auto w : frontToBack)
        pending.push_back({xcb_get_window_attributes(x.raw(), w),
                           x.getProperty(w, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1),
                           X11FrameRequest(x, w)});
    std::optional<xcb_window_t> match;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        auto attributes =
            x.reply<xcb_get_window_attributes_reply_t>(pending[i].attributes.sequence, d);
        auto pidReply = x.reply<xcb_get_property_reply_t>(pending[i].pid.sequence, d);
        const auto reading = pending[i].frame.collect(d);
        if (match || !attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !reading)
            continue;
        const auto p = propertyValues32(pidReply.get());
        if (!p.empty() && static_cast<std::int32_t>(p[0]) == pid &&
            within(reading->frame, frame, 2.0))
            match = frontToBack[i];
    }
    if (!match)
        return std::nullopt;
    return X11WindowList::topLevelOf(x, *match);
}

std::optional<Rect> X11WindowNumbers::bounds(std::uint32_t number) {
    auto& x = access_->connection();
    const auto d = x.deadline();
    auto geometry = xcb_get_geometry(x.raw(), number);
    auto position = xcb_translate_coordinates(x.raw(), number, x.root(), 0, 0);
    auto g = x.reply<xcb_get_geometry_reply_t>(geometry.sequence, d);
    auto p = x.reply<xcb_translate_coordinates_reply_t>(position.sequence, d);
    if (!g || !p)
        return std::nullopt;
    return Rect{static_cast<double>(p->dst_x - g->border_width),
                static_cast<double>(p->dst_y - g->border_width),
                static_cast<double>(g->width + 2 * g->border_width),
                static_cast<double>(g->height + 2 * g->border_width)};
}

} // namespace morvanta
