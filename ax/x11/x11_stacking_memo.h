// X11StackingMemo: the root's children bottom to top, read once and then kept from the server's
// own news through the root (a window created or reparented to the root goes on top, a
// ConfigureNotify names the sibling a window now sits directly above, a circulation puts it
// on top or at the bottom, a destruction or a reparenting away removes it). Without a window
// manager these are the windows the window list orders, so listing them costs no round trip.
//
// A reading is taken only if no news it may not reflect was seen before it was answered: every
// event carries the number of the last request of this connection the server had handled, so
// news with the reading's own number or later came after the server answered it. The news from
// before the answer is all read by the time the answer is taken (it comes first on the wire,
// and the connection reads every event that came with a reply), so all news seen after
// learning is applied. Anything the news cannot place (a sibling never heard of) drops the
// memo until the next reading.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11StackingMemo {
public:
    void begin(xcb_window_t root) { root_ = root; }
    void observe(const xcb_generic_event_t& event);
    // A reading of the root's children was sent with this sequence number.
    void asked(unsigned sequence);
    // Its answer, bottom to top; taken after every event that came with it was observed.
    void learn(std::vector<xcb_window_t> children);
    // The children bottom to top; null when they must be read.
    const std::vector<xcb_window_t>* known() const { return known_ ? &children_ : nullptr; }

private:
    void apply(const xcb_generic_event_t& event);
    void placeAbove(xcb_window_t window, xcb_window_t sibling);
    bool isAtOrAfter(std::uint16_t eventSequence) const {
        return static_cast<std::int16_t>(eventSequence - asked_) >= 0;
    }

    xcb_window_t root_ = XCB_NONE;
    std::vector<xcb_window_t> children_;
    bool known_ = false;
    std::uint16_t asked_ = 0;
    bool asking_ = false;
    bool overtaken_ = false; // news at or after the reading's number came before its answer
};

} // namespace morvanta
