#include "ax/x11/x11_window_numbers.h"

#include "ax/x11/x11_facts_memo.h"
#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_list.h"

#include <cmath>

namespace morvanta {

namespace {

bool within(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
           std::abs(a.width - b.width) <= tolerance && std::abs(a.height - b.height) <= tolerance;
}

} // namespace

std::optional<std::uint32_t> X11WindowNumbers::number(const AXWindow& window, const Rect& frame) {
    auto& x = access_->connection();
    const xcb_window_t client = window.id();
    if (!x.windowManager()) {
        // Without a window manager a window whose frame the news tells is a root child, its own
        // top-level window; whether it shows is in its remembered facts.
        x.readAvailable();
        x.collectPrefetched();
        const auto* facts = x.factsMemo().known(client);
        const auto current = X11FrameRequest::remembered(x, client);
        if (facts && current) {
            if (!facts->viewable || !within(current->frame, frame, 2.0))
                return std::nullopt;
            return client;
        }
    }
    const auto d = x.deadline();
    auto attributes = xcb_get_window_attributes(x.raw(), client);
    X11FrameRequest reading(x, client);
    const auto shown = x.reply<xcb_get_window_attributes_reply_t>(attributes.sequence, d);
    const auto current = reading.collect(d);
    if (!shown || shown->map_state != XCB_MAP_STATE_VIEWABLE || !current ||
        !within(current->frame, frame, 2.0))
        return std::nullopt;
    return X11WindowList::topLevelOf(x, client);
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
