// The keyboard layout currently in use on an X display, read with xkbcommon: which keycodes
// type a stored key code's keysym, which stored key code an X key event is, and the key's name
// as the layout prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace morvanta {

class X11Keymap {
public:
    X11Keymap();
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // Sets up the XKB extension on the connection (once) and reads the core keyboard's
    // current keymap and layout. False when the server offers no usable XKB.
    bool load(xcb_connection_t* connection);
    bool isLoaded() const { return keymap_ != nullptr; }
    std::int32_t deviceId() const { return deviceId_; }

    // The keycodes that stand for the stored key code in the current layout (see below); empty
    // when the layout cannot type it.
    std::vector<std::uint32_t> keycodesFor(int carbonKeyCode) const;
    // The stored key code of an X key: by the keysym it types unshifted, else by its position
    // on an ANSI keyboard when no other key types that position's keysym. Every keycode stands
    // for at most one key code, so two bindings never share a key.
    std::optional<int> carbonKeyCodeFor(std::uint32_t keycode) const;
    // "F", "1", "/", "Tab", "Left", "F5", "Keypad 1"; empty for key codes the table lacks.
    std::string keyName(int carbonKeyCode) const;

private:
    std::uint32_t unshiftedKeysym(std::uint32_t keycode) const;
    bool typesUnshifted(std::uint32_t keysym) const;
    std::uint32_t firstKeycode() const;
    std::uint32_t lastKeycode() const;

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::int32_t deviceId_ = -1;
    bool extensionReady_ = false;
};

} // namespace morvanta
