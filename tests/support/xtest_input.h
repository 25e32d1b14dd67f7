// XTestInput: the user's keyboard and mouse on a test display. It presses keys (found by what
// they type in the current layout) and moves and clicks the pointer through XTEST, from a
// connection of its own, and holds key grabs on the root window as another program's global
// shortcuts do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta::testing {

class XTestInput {
public:
    explicit XTestInput(const std::string& display);
    ~XTestInput();
    XTestInput(const XTestInput&) = delete;
    XTestInput& operator=(const XTestInput&) = delete;

    bool ok() const { return c_ && !xcb_connection_has_error(c_); }
    xcb_connection_t* raw() const { return c_; }
    xcb_window_t root() const { return root_; }

    // The first key code that types `keysym` unshifted in the current layout; 0 when none does.
    xcb_keycode_t keycode(xcb_keysym_t keysym);
    // Holds the keys down in order and releases them in reverse; `repeats` extra presses of the
    // last key stand for a key held long enough to repeat. Returns once the server has them.
    void type(const std::vector<xcb_keysym_t>& keysyms, int repeats = 0);
    void pointerTo(int x, int y);
    // Presses or releases the left button.
    void button(bool press);

    // Grabs `keysym` with exactly `modifiers` (no lock variants); answers whether the server
    // allowed it.
    bool grab(xcb_keysym_t keysym, std::uint16_t modifiers);
    void ungrab(xcb_keysym_t keysym, std::uint16_t modifiers);
    // Waits until the server has handled every request sent so far.
    void sync();

private:
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0);

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
};

} // namespace morvanta::testing
