// WindowNumbers: the window-server identity a focus border stacks itself against, and where the
// server draws a window right now. On X11 a window number is the top-level frame window (the
// root's child that holds the client window and its decorations).
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <optional>

namespace morvanta {

class WindowNumbers {
public:
    virtual ~WindowNumbers() = default;

    // The front-most on-screen window of `pid` whose bounds are within 2.0 points of `frame` in
    // each of x, y, width and height (exactly 2.0 still matches).
    virtual std::optional<std::uint32_t> number(std::int32_t pid, const Rect& frame) = 0;
    // The current bounds of a window number, in the global top-left space.
    virtual std::optional<Rect> bounds(std::uint32_t number) = 0;
};

} // namespace morvanta
