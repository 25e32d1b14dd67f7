// Tiling window managers: the window managers that place and size every window themselves and
// would undo each of Morvanta's moves, each answering with its own layout. A plain rule over the
// name a window manager gives itself (the _NET_WM_NAME of its check window), so it is tested
// without a display; reading that name is window_manager_name.h's business.
#pragma once

#include <array>
#include <string_view>

namespace morvanta {

// Lower-case names as these window managers announce themselves. "lg3d" is the name xmonad,
// qtile and dwm users commonly set (wmname) so Java programs draw correctly.
inline constexpr std::array<std::string_view, 22> tilingWindowManagerNames = {
    "i3",     "bspwm",   "herbstluftwm", "awesome",   "xmonad",    "dwm",    "spectrwm", "qtile",
    "lg3d",   "leftwm",  "stumpwm",      "ratpoison", "wmii",      "notion", "ion3",     "musca",
    "subtle", "echinus", "frankenwm",    "dk",        "monsterwm", "hypr"};

// Whether `name` is one of the tiling window managers above: compared without regard to case
// and surrounding spaces, either whole or followed by a version or other suffix after a
// character that is not a letter or digit ("i3", "Qtile", "xmonad-0.17", "awesome v4.3").
// "i3" therefore never matches "i3lock", nor "dk" "dkwm".
bool isTilingWindowManager(std::string_view name);

} // namespace morvanta
