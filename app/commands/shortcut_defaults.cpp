#include "app/commands/shortcut_defaults.h"

#include "core/workspace_numbers.h"
#include "shortcuts/modifiers.h"

#include <array>

namespace morvanta {

namespace {
constexpr int alt = carbon::option;
constexpr int altShift = carbon::option | carbon::shift;

constexpr int leftArrow = 123, rightArrow = 124, downArrow = 125, upArrow = 126;

constexpr std::array<int, 9> digitKeys = {18, 19, 20, 21, 23, 22, 26, 28, 25};
constexpr std::array<int, 26> letterKeys = {0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                            45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
} // namespace

const std::vector<FixedShortcut>& fixedShortcuts() {
    static const std::vector<FixedShortcut> table = {
        {"previousWorkspace", "Previous workspace", {48, alt}},
        {"focusLeft", "Focus window left", {leftArrow, alt}},
        {"focusRight", "Focus window right", {rightArrow, alt}},
        {"focusUp", "Focus window up", {upArrow, alt}},
        {"focusDown", "Focus window down", {downArrow, alt}},
        {"swapLeft", "Swap window left", {leftArrow, altShift}},
        {"swapRight", "Swap window right", {rightArrow, altShift}},
        {"swapUp", "Swap window up", {upArrow, altShift}},
        {"swapDown", "Swap window down", {downArrow, altShift}},
        {"nextLayout", "Next layout", {44, alt}},
        {"toggleFloating", "Float / tile window", {3, altShift}},
        {"growMain", "Grow main window", {24, alt}},
        {"shrinkMain", "Shrink main window", {27, alt}},
        {"commandPalette", "Command palette", {41, altShift}},
        {"workspaceSwitcher", "Workspace switcher", {13, alt}},
        {"togglePause", "Pause tiling", {35, altShift}},
    };
    return table;
}

std::optional<int> digitKeyCode(int number) {
    if (number < 1 || number > 9)
        return std::nullopt;
    return digitKeys[static_cast<std::size_t>(number - 1)];
}

std::optional<int> letterKeyCode(int number) {
    if (!isLetterWorkspace(number))
        return std::nullopt;
    return letterKeys[static_cast<std::size_t>(number - firstLetterWorkspace)];
}

Shortcut styled(Shortcut standard, ShortcutStyle style) {
    if (style == ShortcutStyle::controlOption)
        standard.carbonModifiers |= carbon::control;
    return standard;
}

} // namespace morvanta
