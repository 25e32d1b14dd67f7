// Reading which window manager runs: the name an EWMH window manager gives its check window
// (_NET_SUPPORTING_WM_CHECK on the root, confirmed live by X11Connection), so the welcome guide
// can warn when a tiling window manager would fight Morvanta over the windows.
#pragma once

#include <optional>
#include <string>

namespace morvanta {

class X11Connection;

// The check window's _NET_WM_NAME (UTF-8), else its WM_NAME; none when no EWMH window manager
// runs, it names itself with neither, or the server does not answer in time.
std::optional<std::string> windowManagerName(X11Connection& x);

// The name of the running window manager when it is a tiling one (isTilingWindowManager).
std::optional<std::string> runningTilingWindowManager(X11Connection& x);

} // namespace morvanta
