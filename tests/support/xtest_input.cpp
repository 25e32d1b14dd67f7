#include "tests/support/xtest_input.h"

#include <cstdlib>
#include <xcb/xtest.h>

namespace morvanta::testing {

XTestInput::XTestInput(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (ok())
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

XTestInput::~XTestInput() {
    if (c_)
        xcb_disconnect(c_);
}

xcb_keycode_t XTestInput::keycode(xcb_keysym_t keysym) {
    // Read afresh each time: the layout may have changed since.
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto* reply = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, count), nullptr);
    xcb_keycode_t found = 0;
    if (reply) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int key = 0; key < count && found == 0; ++key)
            if (syms[key * reply->keysyms_per_keycode] == keysym)
                found = static_cast<xcb_keycode_t>(setup->min_keycode + key);
        std::free(reply);
    }
    return found;
}

void XTestInput::fake(std::uint8_t type, std::uint8_t detail, std::int16_t x, std::int16_t y) {
    xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? root_ : 0,
                        x, y, 0);
}

void XTestInput::type(const std::vector<xcb_keysym_t>& keysyms, int repeats) {
    std::vector<xcb_keycode_t> keycodes;
    for (const auto keysym : keysyms) {
        keycodes.push_back(keycode(keysym));
        fake(XCB_KEY_PRESS, keycodes.back());
    }
    for (int i = 0; i < repeats && !keycodes.empty(); ++i)
        fake(XCB_KEY_PRESS, keycodes.back());
    for (auto it = keycodes.rbegin(); it != keycodes.rend(); ++it)
        fake(XCB_KEY_RELEASE, *it);
    sync();
}

void XTestInput::pointerTo(int x, int y) {
    fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    sync();
}

void XTestInput::button(bool press) {
    fake(press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1);
    sync();
}

bool XTestInput::grab(xcb_keysym_t keysym, std::uint16_t modifiers) {
    auto cookie = xcb_grab_key_checked(c_, 0, root_, modifiers, keycode(keysym),
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t* error = xcb_request_check(c_, cookie);
    std::free(error);
    return error == nullptr;
}

void XTestInput::ungrab(xcb_keysym_t keysym, std::uint16_t modifiers) {
    xcb_ungrab_key(c_, keycode(keysym), root_, modifiers);
    sync();
}

void XTestInput::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

} // namespace morvanta::testing
