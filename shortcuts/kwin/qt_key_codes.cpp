#include "shortcuts/kwin/qt_key_codes.h"

#include "shortcuts/modifiers.h"
#include "shortcuts/xkb/xkb_layout.h"

#include <array>
#include <utility>
#include <xkbcommon/xkbcommon.h>

namespace morvanta {

namespace {

constexpr std::array<std::pair<std::uint32_t, int>, 23> namedKeys = {{
    {XKB_KEY_Escape, qt_key::escape},
    {XKB_KEY_Tab, qt_key::tab},
    {XKB_KEY_ISO_Left_Tab, qt_key::tab},
    {XKB_KEY_BackSpace, qt_key::backspace},
    {XKB_KEY_Return, qt_key::returnKey},
    {XKB_KEY_Insert, qt_key::insert},
    {XKB_KEY_Delete, qt_key::deleteKey},
    {XKB_KEY_Home, qt_key::home},
    {XKB_KEY_End, qt_key::end},
    {XKB_KEY_Left, qt_key::left},
    {XKB_KEY_Up, qt_key::up},
    {XKB_KEY_Right, qt_key::right},
    {XKB_KEY_Down, qt_key::down},
    {XKB_KEY_Page_Up, qt_key::pageUp},
    {XKB_KEY_Page_Down, qt_key::pageDown},
    {XKB_KEY_KP_Enter, qt_key::enter | qt_key::keypad},
    {XKB_KEY_KP_Decimal, '.' | qt_key::keypad},
    {XKB_KEY_KP_Multiply, '*' | qt_key::keypad},
    {XKB_KEY_KP_Add, '+' | qt_key::keypad},
    {XKB_KEY_KP_Subtract, '-' | qt_key::keypad},
    {XKB_KEY_KP_Divide, '/' | qt_key::keypad},
    {XKB_KEY_KP_Equal, '=' | qt_key::keypad},
    {XKB_KEY_space, ' '},
}};

constexpr std::array<std::pair<int, int>, 4> modifierMap = {{
    {carbon::shift, qt_key::shift},
    {carbon::control, qt_key::control},
    {carbon::option, qt_key::alt},
    {carbon::command, qt_key::meta},
}};

} // namespace

int qtKeyForKeysym(std::uint32_t keysym) {
    for (const auto& [sym, key] : namedKeys) {
        if (sym == keysym) {
            return key;
        }
    }
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F35) {
        return qt_key::f1 + static_cast<int>(keysym - XKB_KEY_F1);
    }
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9) {
        return ('0' + static_cast<int>(keysym - XKB_KEY_KP_0)) | qt_key::keypad;
    }
    // Dead keys keep their order in both numberings (Qt::Key_Dead_Grave is 0x01001250).
    if (keysym >= XKB_KEY_dead_grave && keysym <= XKB_KEY_dead_horn) {
        return 0x01001200 + static_cast<int>(keysym & 0xff);
    }
    // Characters: Qt names a key by the upper-case character it types.
    std::uint32_t character = xkb_keysym_to_utf32(xkb_keysym_to_upper(keysym));
    if (character > 0x20 && character != 0x7f && (character < 0x80 || character > 0x9f)) {
        return static_cast<int>(character);
    }
    return 0;
}

int qtModifiersFor(int carbonModifiers) {
    int modifiers = 0;
    for (const auto& [bit, qtBit] : modifierMap) {
        if ((carbonModifiers & bit) != 0) {
            modifiers |= qtBit;
        }
    }
    return modifiers;
}

int qtKeyCodeFor(const XkbLayout& layout, const Shortcut& shortcut) {
    int key = qtKeyForKeysym(layout.keysymFor(shortcut.carbonKeyCode));
    return key == 0 ? 0 : key | qtModifiersFor(shortcut.carbonModifiers);
}

} // namespace morvanta
