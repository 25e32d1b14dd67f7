// The named shortcut actions and their default keys. Key codes are the portable virtual key
// codes of the hot-key service (ANSI key positions); the Standard style uses Alt (Option),
// and the Safer style adds Control to every default.
#pragma once

#include "app/settings/shortcut_style.h"
#include "shortcuts/shortcut.h"

#include <optional>
#include <string>
#include <vector>

namespace morvanta {

inline constexpr const char* switchNamePrefix = "switchToWorkspace";
inline constexpr const char* moveNamePrefix = "moveToWorkspace";
inline constexpr const char* switchTitlePrefix = "Switch to workspace ";
inline constexpr const char* moveTitlePrefix = "Move window to workspace ";

// An action that is not tied to one workspace, in the order the shortcut list shows them.
struct FixedShortcut {
    std::string name;
    std::string title;
    // The Standard default.
    Shortcut standard;
};
const std::vector<FixedShortcut>& fixedShortcuts();

// The key of digit 1 … 9 (none for other numbers) and of letter workspace 101 … 126 (A … Z).
std::optional<int> digitKeyCode(int number);
std::optional<int> letterKeyCode(int number);

// The Standard default as the given style binds it: Control added in the Safer style.
Shortcut styled(Shortcut standard, ShortcutStyle style);

} // namespace morvanta
