// ShortcutStyle: which modifiers the default shortcuts use. Standard ("option") uses Alt;
// Safer ("controlOption") also needs Control.
#pragma once

#include <array>
#include <string_view>

namespace morvanta {

enum class ShortcutStyle { option, controlOption };

inline constexpr std::array<ShortcutStyle, 2> allShortcutStyles = {ShortcutStyle::option,
                                                                   ShortcutStyle::controlOption};

inline std::string_view rawValue(ShortcutStyle style) {
    return style == ShortcutStyle::controlOption ? "controlOption" : "option";
}

} // namespace morvanta
