// The fixed table from stored virtual key codes (positions on an ANSI keyboard) to X keysyms,
// with the X keycode of the same position on a standard PC keyboard (evdev numbering) for
// layouts that cannot type the keysym at all.
#pragma once

#include <cstdint>

namespace morvanta {

struct KeyTableEntry {
    int carbonKeyCode;
    std::uint32_t keysym;    // what the key types without modifiers on a US layout
    std::uint32_t usKeycode; // its X keycode on a standard PC keyboard
};

// The entry for a stored key code; null for key codes the table does not know.
const KeyTableEntry* keyTableEntry(int carbonKeyCode);
// The entry whose keysym is `keysym`; null when none.
const KeyTableEntry* keyTableEntryForKeysym(std::uint32_t keysym);
// The entry whose US position is the X keycode `keycode`; null when none.
const KeyTableEntry* keyTableEntryForPosition(std::uint32_t keycode);

} // namespace morvanta
