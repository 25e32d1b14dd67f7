#include "shortcuts/xkb/xkb_layout.h"

#include "shortcuts/xkb/key_table.h"

#include <algorithm>
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

const char* orNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

XkbLayout::XkbLayout() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

XkbLayout::~XkbLayout() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void XkbLayout::adopt(xkb_keymap* keymap, xkb_state* state) {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = state;
}

bool XkbLayout::compile(const XkbNames& names) {
    if (!context_) {
        return false;
    }
    const xkb_rule_names rule{orNull(names.rules), orNull(names.model), orNull(names.layout),
                              orNull(names.variant), orNull(names.options)};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context_, &rule, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        return false;
    }
    adopt(keymap, state);
    return true;
}

bool XkbLayout::typesUnshifted(std::uint32_t keysym) const {
    for (xkb_keycode_t keycode = firstKeycode(); keycode <= lastKeycode(); ++keycode) {
        if (unshiftedKeysym(keycode) == keysym) {
            return true;
        }
    }
    return false;
}

std::uint32_t XkbLayout::firstKeycode() const {
    return xkb_keymap_min_keycode(keymap_);
}

std::uint32_t XkbLayout::lastKeycode() const {
    return std::min<std::uint32_t>(xkb_keymap_max_keycode(keymap_), 255);
}

std::vector<std::uint32_t> XkbLayout::keycodesFor(int carbonKeyCode) const {
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

std::uint32_t XkbLayout::unshiftedKeysym(std::uint32_t keycode) const {
    xkb_layout_index_t layout = xkb_state_key_get_layout(state_, keycode);
    if (layout == XKB_LAYOUT_INVALID) {
        return XKB_KEY_NoSymbol;
    }
    const xkb_keysym_t* syms = nullptr;
    int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, layout, 0, &syms);
    return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
}

std::optional<int> XkbLayout::carbonKeyCodeFor(std::uint32_t keycode) const {
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

std::uint32_t XkbLayout::keysymFor(int carbonKeyCode) const {
    const KeyTableEntry* entry = keyTableEntry(carbonKeyCode);
    if (!entry) {
        return XKB_KEY_NoSymbol;
    }
    // The keypad types the same keysyms on every layout; its keys' levels depend on NumLock.
    if (isKeypadKeysym(entry->keysym) || !keymap_) {
        return entry->keysym;
    }
    auto keycodes = keycodesFor(carbonKeyCode);
    std::uint32_t keysym = keycodes.empty() ? XKB_KEY_NoSymbol : unshiftedKeysym(keycodes.front());
    return keysym == XKB_KEY_NoSymbol ? entry->keysym : keysym;
}

std::string XkbLayout::keyName(int carbonKeyCode) const {
    const KeyTableEntry* entry = keyTableEntry(carbonKeyCode);
    if (!entry) {
        return {};
    }
    std::string name = namedKey(keysymFor(carbonKeyCode));
    return name.empty() ? namedKey(entry->keysym) : name;
}

} // namespace morvanta
