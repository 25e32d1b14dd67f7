// FakeWindowManager: how the fake desktop places a window it is asked to move or resize.
// Without a window manager (`exact`) every position sticks, as on a bare X server. The
// `clamping` one behaves like the window manager measured on this project's machines: positions
// are pulled back so a tenth of the window stays on the screen it is mostly on, coordinates are
// whole pixels, and sizes snap down to the window's resize increments. In both modes the
// application refuses to become smaller than its minimum size.
#pragma once

#include "ax/fake/fake_window.h"
#include "ax/screen.h"
#include "core/geometry.h"

#include <vector>

namespace morvanta {

enum class WindowManagerMode { exact, clamping };

class FakeWindowManager {
public:
    explicit FakeWindowManager(WindowManagerMode mode = WindowManagerMode::exact) : mode_(mode) {}

    WindowManagerMode mode() const { return mode_; }
    void setMode(WindowManagerMode mode) { mode_ = mode; }

    // The size the window ends up with when `requested` is asked for.
    Size placeSize(const FakeWindow& window, Size requested) const;
    // Where a window of `size` ends up when its top-left corner is asked to go to `requested`.
    Point placePosition(Size size, Point requested, const std::vector<Screen>& screens) const;

private:
    static Rect nearestScreen(const Rect& rect, const std::vector<Screen>& screens);
    static double snapDown(double length, double base, double step);

    WindowManagerMode mode_;
};

} // namespace morvanta
