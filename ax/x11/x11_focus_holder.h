// X11FocusHolder: a window of Morvanta's own that takes the keyboard when no other program's
// window should have it (every window of the workspace just left is being hidden). It is an
// input-only, override-redirect 1×1 window off screen: it takes no space, shows nothing, no
// window manager manages it, and the root's key grabs keep working while it has the focus
// (the root is its parent). Made on first use, destroyed with the holder.
#pragma once

#include <memory>
#include <xcb/xcb.h>

namespace morvanta {

class X11Connection;

class X11FocusHolder {
public:
    explicit X11FocusHolder(std::shared_ptr<X11Connection> connection);
    ~X11FocusHolder();
    X11FocusHolder(const X11FocusHolder&) = delete;
    X11FocusHolder& operator=(const X11FocusHolder&) = delete;

    // Gives the holder the input focus (not waited for).
    void takeFocus();
    // The holder's window, 0 before first use.
    xcb_window_t window() const { return window_; }

private:
    void create();

    std::shared_ptr<X11Connection> connection_;
    xcb_window_t window_ = 0;
};

} // namespace morvanta
