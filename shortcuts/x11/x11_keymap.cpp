#include "shortcuts/x11/x11_keymap.h"

#include "shortcuts/x11/key_table.h"

#include <algorithm>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace morvanta {

namespace {

bool isKeypadKeysym(std::uint32_t keysym) {
    return keysym >= XKB_KEY_KP_Space && keysym <= XKB_KEY_KP_9;
}

std::string namedKey(std::uint32_t keysym) {
    switch (keysym) {
    case XKB_KEY_space:
        return "Space";
    case XKB_KEY_Return:
        return "Return";
    case XKB_KEY_BackSpace:
        return "Backspace";
    case XKB_KEY_Page_Up:
        return "Page Up";
    case XKB_KEY_Page_Down:
        return "Page Down";
    case XKB_KEY_KP_Enter:
        return "Keypad Enter";
    default:
        break;
    }
    if (isKeypadKeysym(keysym)) {
        char text[8] = {};
        xkb_keysym_to_utf8(keysym, text, sizeof text);
        return std::string("Keypad ") + text;
    }
    char text[8] = {};
    if (keysym < 0xff00 && xkb_keysym_to_utf8(xkb_keysym_to_upper(keysym), text, sizeof text) > 1) {
        return text;
    }
    char name[64] = {};
    if (xkb_keysym_get_name(keysym, name, sizeof name) > 0) {
        return name;
    }
    return {};
}

} // namespace

X11Keymap::X11Keymap() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

X11Keymap::~X11Keymap() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

bool X11Keymap::load(xcb_connection_t* connection) {
    if (!context_ || !connection) {
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
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(context_, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        return false;
    }
    xkb_state* state = xkb_x11_state_new_from_device(keymap, connection, device);
    if (!state) {
        xkb_keymap_unref(keymap);
        return false;
    }
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = state;
    deviceId_ = device;
    return true;
}

bool X11Keymap::typesUnshifted(std::uint32_t keysym) const {
    for (xkb_keycode_t keycode = firstKeycode(); keycode <= lastKeycode(); ++keycode) {
        if (unshiftedKeysym(keycode) == keysym) {
            return true;
        }
    }
    return false;
}

std::uint32_t X11Keymap::firstKeycode() const {
    return xkb_keymap_min_keycode(keymap_);
}

std::uint32_t X11Keymap::lastKeycode() const {
    return std::min<std::uint32_t>(xkb_keymap_max_keycode(keymap_), 255);
}

std::vector<std::uint32_t> X11Keymap::keycodesFor(int carbonKeyCode) const {
    std::vector<std::uint32_t> keycodes;
    if (!keymap_ || !keyTableEntry(carbonKeyCode)) {
        return keycodes;
    }
    for (std::uint32_t keycode = firstKeycode(); keycode <= lastKeycode(); ++keycode) {
        if (carbonKeyCodeFor(keycode) == carbonKeyCode) {
            keycodes.push_back(keycode);
        }
    }
    return keycodes;
}

std::uint32_t X11Keymap::unshiftedKeysym(std::uint32_t keycode) const {
    xkb_layout_index_t layout = xkb_state_key_get_layout(state_, keycode);
    if (layout == XKB_LAYOUT_INVALID) {
        return XKB_KEY_NoSymbol;
    }
    const xkb_keysym_t* syms = nullptr;
    int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, layout, 0, &syms);
    return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
}

std::optional<int> X11Keymap::carbonKeyCodeFor(std::uint32_t keycode) const {
    if (!keymap_) {
        return std::nullopt;
    }
    const KeyTableEntry* entry = keyTableEntryForKeysym(unshiftedKeysym(keycode));
    if (entry) {
        return entry->carbonKeyCode;
    }
    // A key typing nothing of the table stands for its ANSI position, unless the layout types
    // that position's keysym on another key (which then has the key code).
    entry = keyTableEntryForPosition(keycode);
    if (entry && typesUnshifted(entry->keysym)) {
        entry = nullptr;
    }
    if (!entry) {
        return std::nullopt;
    }
    return entry->carbonKeyCode;
}

std::string X11Keymap::keyName(int carbonKeyCode) const {
    const KeyTableEntry* entry = keyTableEntry(carbonKeyCode);
    if (!entry) {
        return {};
    }
    if (isKeypadKeysym(entry->keysym) || !keymap_) {
        return namedKey(entry->keysym);
    }
    auto keycodes = keycodesFor(carbonKeyCode);
    std::uint32_t keysym = keycodes.empty() ? XKB_KEY_NoSymbol : unshiftedKeysym(keycodes.front());
    std::string name = namedKey(keysym == XKB_KEY_NoSymbol ? entry->keysym : keysym);
    return name.empty() ? namedKey(entry->keysym) : name;
}

} // namespace morvanta
