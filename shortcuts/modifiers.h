// Modifier masks of a shortcut: the application-framework flags and the event-manager mask a
// Shortcut stores, converted bit by bit, plus the keys whose Function bit is not significant.
#pragma once

#include <cstdint>
#include <string>

namespace morvanta {

// Event-manager modifier bits, as kept in Shortcut::carbonModifiers.
namespace carbon {
inline constexpr int command = 0x100;
inline constexpr int shift = 0x200;
inline constexpr int option = 0x800;
inline constexpr int control = 0x1000;
inline constexpr int function = 0x20000;
} // namespace carbon

// Application-framework modifier flags.
namespace modifier_flags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
inline constexpr std::uint64_t function = 0x800000;
} // namespace modifier_flags

// Bit-by-bit conversions; flags that have no counterpart are dropped.
int carbonModifiersFromFlags(std::uint64_t flags);
std::uint64_t flagsFromCarbonModifiers(int carbonModifiers);

// F1 to F20, help, forward delete, keypad clear, home, end, page up/down and the arrows.
bool isFunctionKey(int carbonKeyCode);

// The mask used when a key event is compared with a shortcut: unknown bits dropped, and the
// Function bit dropped for keys of the function-key set (arrows match with or without it).
int normalizedModifiers(int carbonKeyCode, int carbonModifiers);

// The modifiers in the order Linux desktops print them, each followed by "+": "Ctrl+Alt+".
// Option is Alt and Command is Super; the Function bit has no printed form.
std::string modifierPrefix(int carbonModifiers);

} // namespace morvanta
