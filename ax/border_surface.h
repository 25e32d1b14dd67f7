// BorderSurface: the window the focus border's ring is drawn in where the window system, not
// Morvanta, places windows (KWin on Wayland): the window only draws, and the backend has it
// placed (KWinBorderOverlay). The shell implements it with a toolkit window: frameless, on top,
// translucent, click-through, never activated, captioned `borderSurfaceCaption` so the window
// system's side can tell it from every other window of Morvanta's process.
#pragma once

#include "ax/border_color.h"
#include "core/geometry.h"

namespace morvanta {

inline constexpr const char* borderSurfaceCaption = "Morvanta focus border";

class BorderSurface {
public:
    virtual ~BorderSurface() = default;

    // The ring: a rounded rectangle filling the window, less one `width` inside it whose corners
    // have `radius`. `size` is the window's size asked for; the ring fills whatever size the
    // window system gives it.
    virtual void setRing(const Size& size, double width, double radius,
                         const BorderColor& color) = 0;
    // Shows and hides the ring (the window itself may stay mapped and empty).
    virtual void showRing() = 0;
    virtual void hideRing() = 0;
};

} // namespace morvanta
