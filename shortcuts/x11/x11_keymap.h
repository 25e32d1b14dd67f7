// The keyboard layout currently in use on an X display: the core keyboard's keymap and layout
// read with xkbcommon-x11 into an XkbLayout, which answers which keycodes type a stored key
// code's keysym, which stored key code an X key event is, and the key's printed name.
#pragma once

#include "shortcuts/xkb/xkb_layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11Keymap {
public:
    // Sets up the XKB extension on the connection (once) and reads the core keyboard's
    // current keymap and layout. False when the server offers no usable XKB.
    bool load(xcb_connection_t* connection);
    bool isLoaded() const { return layout_.isLoaded(); }
    std::int32_t deviceId() const { return deviceId_; }

    // See XkbLayout.
    std::vector<std::uint32_t> keycodesFor(int carbonKeyCode) const {
        return layout_.keycodesFor(carbonKeyCode);
    }
    std::optional<int> carbonKeyCodeFor(std::uint32_t keycode) const {
        return layout_.carbonKeyCodeFor(keycode);
    }
    std::string keyName(int carbonKeyCode) const { return layout_.keyName(carbonKeyCode); }

private:
    XkbLayout layout_;
    std::int32_t deviceId_ = -1;
    bool extensionReady_ = false;
};

} // namespace morvanta
