#include "ax/x11/x11_focus_holder.h"

#include "ax/x11/x11_connection.h"

namespace morvanta {

X11FocusHolder::X11FocusHolder(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

X11FocusHolder::~X11FocusHolder() {
    if (window_ != 0) {
        xcb_destroy_window(connection_->raw(), window_);
        connection_->flush();
    }
}

void X11FocusHolder::create() {
    window_ = xcb_generate_id(connection_->raw());
    // Override-redirect; its focus news tells when the keyboard leaves it, so "nothing
    // focused" can be remembered while it holds the keyboard.
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_create_window(connection_->raw(), XCB_COPY_FROM_PARENT, window_, connection_->root(), -16,
                      -16, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection_->raw(), window_);
}

void X11FocusHolder::takeFocus() {
    if (window_ == 0)
        create();
    // Should the holder ever go, the focus falls back to the window under the pointer, never
    // to the window that had it.
    connection_->noteFocusRequest(X11Connection::FocusMemo{window_, 0});
    xcb_set_input_focus(connection_->raw(), XCB_INPUT_FOCUS_POINTER_ROOT, window_,
                        XCB_CURRENT_TIME);
    connection_->flush();
}

} // namespace morvanta
