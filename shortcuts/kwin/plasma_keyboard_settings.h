// The keyboard layout a Plasma session uses, as its keyboard settings file (kxkbrc, section
// [Layout]) names it. KWin compiles the session's keymap from the same names, so the printed
// forms and native key codes read here match what the user types. A missing file, or one that
// says Plasma does not manage the layout (Use=false), leaves every name empty: xkbcommon's
// defaults and the XKB_DEFAULT_* variables then decide, as they do for KWin.
#pragma once

#include "shortcuts/xkb/xkb_layout.h"

#include <filesystem>

namespace morvanta {

// $XDG_CONFIG_HOME/kxkbrc, or ~/.config/kxkbrc; empty when neither variable is set.
std::filesystem::path plasmaKeyboardSettingsPath();

// The names of the file's [Layout] section (LayoutList, VariantList, Model, Options).
XkbNames plasmaKeyboardNames(const std::filesystem::path& settings);

} // namespace morvanta
