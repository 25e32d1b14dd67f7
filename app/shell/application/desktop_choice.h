// DesktopChoice: which desktop backend Morvanta runs on, read from the environment at start.
// MORVANTA_BACKEND ("x11" or "kwin") decides when set; anything else there is an error, never a
// silent default. Otherwise a Wayland session (WAYLAND_DISPLAY set, or XDG_SESSION_TYPE
// "wayland") goes to KWin, the only Wayland desktop Morvanta can tile (whether KWin is really
// there is the backend's to find out), and every other session to X11, Plasma's X11 session
// included: there Morvanta works beside KWin as beside any window manager.
#pragma once

#include <string>

namespace morvanta {

struct DesktopChoice {
    enum class Backend { x11, kwin };
    static constexpr const char* variable = "MORVANTA_BACKEND";

    Backend backend = Backend::x11;
    // The variable named the backend (so no guess about the session was made).
    bool named = false;
    // For an unknown value of the variable: what to tell the user; the backend is then unset.
    std::string error;

    static DesktopChoice fromEnvironment();
};

} // namespace morvanta
