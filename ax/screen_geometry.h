// ScreenGeometry: pure rules over a list of screens (primary first): converting between the
// top-left and bottom-left coordinate spaces, choosing the screen for a rectangle, and where
// parking puts a window and how to tell that it is there.
#pragma once

#include "ax/screen.h"
#include "core/geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace morvanta {

class ScreenGeometry {
public:
    // Converts between the top-left and the bottom-left space (the same operation both ways):
    // x, width and height stay, y becomes H − maxY, H the primary screen's height (0 without
    // screens). Applying it twice gives back the rectangle.
    static Rect flip(const Rect& rect, const std::vector<Screen>& screens);
    static Rect flip(const Rect& rect, double primaryHeight);

    static Rect axFrame(const Screen& screen) { return screen.frame; }
    static Rect axVisibleFrame(const Screen& screen) { return screen.visibleFrame; }
    static const std::string& displayID(const Screen& screen) { return screen.identity; }

    // The screen holding most of `rect`: the first screen unless a later one holds a strictly
    // larger area, so ties and rectangles touching no screen give the earlier / first screen.
    // None without screens.
    static std::optional<Screen> screen(const std::vector<Screen>& screens, const Rect& rect);

    // Where parking puts a window's top-left corner: one point inside the bottom-right corner of
    // the screen's full frame.
    static Point parkingTarget(const Screen& screen);
    // True when the rectangle's top-left corner lies in some screen's parked region: x between
    // maxX − 4 and maxX, y between midY and maxY, all bounds inclusive.
    static bool isParkedPosition(const std::vector<Screen>& screens, const Rect& rect);

    // True when at most 16 square points of the rectangle lie on the screens together: a
    // parked window keeps one point on its screen, and a few points are no place to work in.
    // False without screens.
    static bool isOffEveryScreen(const std::vector<Screen>& screens, const Rect& rect);

    static double intersectionArea(const Rect& a, const Rect& b);
};

// Whether a window's frame counts as at its target: x and y within `tolerance`, and each size
// within `tolerance` or, for a window that sizes in steps, within one step.
bool frameMatches(const Rect& actual, const Rect& target, const std::optional<Size>& increment,
                  double tolerance = 2.0);

} // namespace morvanta
