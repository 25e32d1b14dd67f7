#include "shortcuts/x11/x11_keymap.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace morvanta {

bool X11Keymap::load(xcb_connection_t* connection) {
    if (!layout_.context() || !connection) {
        return false;
    }
    if (!extensionReady_) {
        extensionReady_ = xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                      XKB_X11_MIN_MINOR_XKB_VERSION,
                                                      XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                                      nullptr, nullptr, nullptr) == 1;
        if (!extensionReady_) {
            return false;
        }
    }
    std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0) {
        return false;
    }
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(layout_.context(), connection, device,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        return false;
    }
    xkb_state* state = xkb_x11_state_new_from_device(keymap, connection, device);
    if (!state) {
        xkb_keymap_unref(keymap);
        return false;
    }
    layout_.adopt(keymap, state);
    deviceId_ = device;
    return true;
}

} // namespace morvanta
