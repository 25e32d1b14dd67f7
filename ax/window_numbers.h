// WindowNumbers: the window-server identity a focus border stacks itself against, and where the
// server draws a window right now. On X11 a window number is the top-level frame window (the
// root's child that holds the client window and its decorations).
#pragma once

#include "ax/ax_window.h"
#include "core/geometry.h"

#include <cstdint>
#include <optional>

namespace morvanta {

class WindowNumbers {
public:
    virtual ~WindowNumbers() = default;

    // The number of `window` while it is on screen and its bounds are within 2.0 points of
    // `frame` in each of x, y, width and height (exactly 2.0 still matches). The handle names
    // its window, so the answer never depends on the process id, which many programs omit.
    virtual std::optional<std::uint32_t> number(const AXWindow& window, const Rect& frame) = 0;
    // The current bounds of a window number, in the global top-left space.
    virtual std::optional<Rect> bounds(std::uint32_t number) = 0;
};

} // namespace morvanta
