#include "shortcuts/modifiers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace morvanta {

namespace {

constexpr std::array<std::pair<std::uint64_t, int>, 5> modifierPairs = {{
    {modifier_flags::control, carbon::control},
    {modifier_flags::option, carbon::option},
    {modifier_flags::shift, carbon::shift},
    {modifier_flags::command, carbon::command},
    {modifier_flags::function, carbon::function},
}};

constexpr std::array<int, 31> functionKeys = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109, 103,
                                              111, 105, 107, 113, 106, 64,  79,  80,  90,  114, 117,
                                              71,  115, 119, 116, 121, 126, 124, 125, 123};

} // namespace

int carbonModifiersFromFlags(std::uint64_t flags) {
    int mask = 0;
    for (const auto& [flag, bit] : modifierPairs) {
        if ((flags & flag) != 0) {
            mask |= bit;
        }
    }
    return mask;
}

std::uint64_t flagsFromCarbonModifiers(int carbonModifiers) {
    std::uint64_t flags = 0;
    for (const auto& [flag, bit] : modifierPairs) {
        if ((carbonModifiers & bit) != 0) {
            flags |= flag;
        }
    }
    return flags;
}

bool isFunctionKey(int carbonKeyCode) {
    return std::find(functionKeys.begin(), functionKeys.end(), carbonKeyCode) != functionKeys.end();
}

int normalizedModifiers(int carbonKeyCode, int carbonModifiers) {
    int mask = carbonModifiersFromFlags(flagsFromCarbonModifiers(carbonModifiers));
    if (isFunctionKey(carbonKeyCode)) {
        mask &= ~carbon::function;
    }
    return mask;
}

std::string modifierPrefix(int carbonModifiers) {
    std::string prefix;
    if ((carbonModifiers & carbon::control) != 0) {
        prefix += "Ctrl+";
    }
    if ((carbonModifiers & carbon::option) != 0) {
        prefix += "Alt+";
    }
    if ((carbonModifiers & carbon::shift) != 0) {
        prefix += "Shift+";
    }
    if ((carbonModifiers & carbon::command) != 0) {
        prefix += "Super+";
    }
    return prefix;
}

} // namespace morvanta
