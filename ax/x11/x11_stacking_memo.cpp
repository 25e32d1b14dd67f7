#include "ax/x11/x11_stacking_memo.h"

#include <algorithm>

namespace morvanta {

namespace {

// The window an event through the root is about, when it is news of the root's children.
std::optional<xcb_window_t> childNews(const xcb_generic_event_t& event, xcb_window_t root) {
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        return e.parent == root ? std::optional(e.window) : std::nullopt;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        return e.event == root ? std::optional(e.window) : std::nullopt;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        return e.event == root ? std::optional(e.window) : std::nullopt;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        return e.event == root && e.window != root ? std::optional(e.window) : std::nullopt;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        return e.event == root ? std::optional(e.window) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

void X11StackingMemo::observe(const xcb_generic_event_t& event) {
    if (root_ == XCB_NONE || !childNews(event, root_))
        return;
    if (asking_) {
        if (isAtOrAfter(event.sequence))
            overtaken_ = true;
        return;
    }
    if (known_)
        apply(event);
}

void X11StackingMemo::asked(unsigned sequence) {
    asked_ = static_cast<std::uint16_t>(sequence);
    asking_ = true;
    overtaken_ = false;
    known_ = false;
}

void X11StackingMemo::learn(std::vector<xcb_window_t> children) {
    if (!asking_)
        return;
    asking_ = false;
    if (overtaken_)
        return;
    children_ = std::move(children);
    known_ = true;
}

void X11StackingMemo::apply(const xcb_generic_event_t& event) {
    const xcb_window_t window = *childNews(event, root_);
    const auto erase = [&] { std::erase(children_, window); };
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY:
        erase();
        children_.push_back(window);
        break;
    case XCB_DESTROY_NOTIFY:
        erase();
        break;
    case XCB_REPARENT_NOTIFY:
        erase();
        if (reinterpret_cast<const xcb_reparent_notify_event_t&>(event).parent == root_)
            children_.push_back(window);
        break;
    case XCB_CONFIGURE_NOTIFY:
        placeAbove(window,
                   reinterpret_cast<const xcb_configure_notify_event_t&>(event).above_sibling);
        break;
    case XCB_CIRCULATE_NOTIFY:
        erase();
        if (reinterpret_cast<const xcb_circulate_notify_event_t&>(event).place == XCB_PLACE_ON_TOP)
            children_.push_back(window);
        else
            children_.insert(children_.begin(), window);
        break;
    default:
        break;
    }
}

void X11StackingMemo::placeAbove(xcb_window_t window, xcb_window_t sibling) {
    const auto at = std::ranges::find(children_, window);
    const auto below = std::ranges::find(children_, sibling);
    if (at == children_.end() || (sibling != XCB_NONE && below == children_.end())) {
        known_ = false; // a window never heard of: read again
        return;
    }
    // Nothing moved when the window already sits directly above its sibling (a plain move).
    if (sibling == XCB_NONE ? at == children_.begin() : at == below + 1)
        return;
    children_.erase(at);
    const auto insertAt =
        sibling == XCB_NONE ? children_.begin() : std::ranges::find(children_, sibling) + 1;
    children_.insert(insertAt, window);
}

} // namespace morvanta
