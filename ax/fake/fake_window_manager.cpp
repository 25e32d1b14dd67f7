#include "ax/fake/fake_window_manager.h"

#include "ax/screen_geometry.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

double FakeWindowManager::snapDown(double length, double base, double step) {
    if (step <= 1 || length <= base)
        return length;
    return base + std::floor((length - base) / step) * step;
}

Rect FakeWindowManager::nearestScreen(const Rect& rect, const std::vector<Screen>& screens) {
    // The screen holding most of the window; for a window on none, the one nearest its centre.
    const Rect best = ScreenGeometry::screen(screens, rect)->frame;
    if (ScreenGeometry::intersectionArea(rect, best) > 0)
        return best;
    const auto distance = [&](const Rect& f) {
        const double dx = rect.midX() - std::clamp(rect.midX(), f.minX(), f.maxX());
        const double dy = rect.midY() - std::clamp(rect.midY(), f.minY(), f.maxY());
        return dx * dx + dy * dy;
    };
    const auto nearest =
        std::min_element(screens.begin(), screens.end(), [&](const Screen& a, const Screen& b) {
            return distance(a.frame) < distance(b.frame);
        });
    return nearest->frame;
}

Size FakeWindowManager::placeSize(const FakeWindow& window, Size requested) const {
    Size size = requested;
    const auto& options = window.options;
    if (mode_ == WindowManagerMode::clamping) {
        if (options.sizeIncrement) {
            size.width = snapDown(size.width, options.baseSize.width, options.sizeIncrement->width);
            size.height =
                snapDown(size.height, options.baseSize.height, options.sizeIncrement->height);
        }
        size.width = std::round(size.width);
        size.height = std::round(size.height);
    }
    size.width = std::max({size.width, options.minimumSize.width, 1.0});
    size.height = std::max({size.height, options.minimumSize.height, 1.0});
    return size;
}

Point FakeWindowManager::placePosition(Size size, Point requested,
                                       const std::vector<Screen>& screens) const {
    if (mode_ == WindowManagerMode::exact || screens.empty())
        return requested;
    const Rect f = nearestScreen(Rect{requested.x, requested.y, size.width, size.height}, screens);
    // At least a tenth of the window (and at least one pixel) stays on that screen.
    const double keepW = std::max(1.0, std::round(size.width / 10));
    const double keepH = std::max(1.0, std::round(size.height / 10));
    const double x = std::clamp(requested.x, f.minX() - size.width + keepW, f.maxX() - keepW);
    const double y = std::clamp(requested.y, f.minY() - size.height + keepH, f.maxY() - keepH);
    return {std::round(x), std::round(y)};
}

} // namespace morvanta
