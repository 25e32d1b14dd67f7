// Key codes as Qt numbers them, which is how KDE's global shortcut service (kglobalaccel)
// receives and reports keys over D-Bus: a key (Qt::Key) OR-ed with modifier bits
// (Qt::KeyboardModifier). The constants repeat Qt's values so this backend needs no Qt; they
// are part of kglobalaccel's wire format and do not change.
#pragma once

#include "shortcuts/shortcut.h"

#include <cstdint>

namespace morvanta {

class XkbLayout;

namespace qt_key {
inline constexpr int shift = 0x02000000;   // Qt::ShiftModifier
inline constexpr int control = 0x04000000; // Qt::ControlModifier
inline constexpr int alt = 0x08000000;     // Qt::AltModifier
inline constexpr int meta = 0x10000000;    // Qt::MetaModifier
inline constexpr int keypad = 0x20000000;  // Qt::KeypadModifier
inline constexpr int escape = 0x01000000;  // Qt::Key_Escape
inline constexpr int tab = 0x01000001;
inline constexpr int backspace = 0x01000003;
inline constexpr int returnKey = 0x01000004;
inline constexpr int enter = 0x01000005; // the keypad's Enter
inline constexpr int insert = 0x01000006;
inline constexpr int deleteKey = 0x01000007;
inline constexpr int home = 0x01000010;
inline constexpr int end = 0x01000011;
inline constexpr int left = 0x01000012;
inline constexpr int up = 0x01000013;
inline constexpr int right = 0x01000014;
inline constexpr int down = 0x01000015;
inline constexpr int pageUp = 0x01000016;
inline constexpr int pageDown = 0x01000017;
inline constexpr int f1 = 0x01000030; // F2 to F35 follow in order
} // namespace qt_key

// The Qt key a keysym stands for: letters upper-case ("a" is Qt::Key_A, 0x41), other
// characters their upper-case code point, named keys (F1, arrows, Return…) Qt's own numbers,
// keypad keys with the keypad bit. 0 for keysyms without one (modifier keys among them).
int qtKeyForKeysym(std::uint32_t keysym);

// Shift, Control, Alt (Option) and Meta (Command); the Function bit has no Qt counterpart.
int qtModifiersFor(int carbonModifiers);

// The shortcut as kglobalaccel numbers it: the key the layout types at the stored key's place,
// unshifted, with the modifiers; 0 when the layout has no such key.
int qtKeyCodeFor(const XkbLayout& layout, const Shortcut& shortcut);

} // namespace morvanta
