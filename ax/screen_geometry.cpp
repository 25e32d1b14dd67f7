#include "ax/screen_geometry.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

Rect ScreenGeometry::flip(const Rect& rect, double primaryHeight) {
    return {rect.x, primaryHeight - rect.maxY(), rect.width, rect.height};
}

Rect ScreenGeometry::flip(const Rect& rect, const std::vector<Screen>& screens) {
    return flip(rect, screens.empty() ? 0.0 : screens.front().frame.height);
}

double ScreenGeometry::intersectionArea(const Rect& a, const Rect& b) {
    const double w = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double h = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return (w > 0 && h > 0) ? w * h : 0.0;
}

std::optional<Screen> ScreenGeometry::screen(const std::vector<Screen>& screens, const Rect& rect) {
    if (screens.empty())
        return std::nullopt;
    std::size_t best = 0;
    double bestArea = intersectionArea(rect, axFrame(screens[0]));
    for (std::size_t i = 1; i < screens.size(); ++i) {
        const double area = intersectionArea(rect, axFrame(screens[i]));
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return screens[best];
}

Point ScreenGeometry::parkingTarget(const Screen& screen) {
    const Rect f = axFrame(screen);
    return {f.maxX() - 1, f.maxY() - 1};
}

bool ScreenGeometry::isOffEveryScreen(const std::vector<Screen>& screens, const Rect& rect) {
    constexpr double visibleEnough = 16;
    double visible = 0;
    for (const auto& screen : screens)
        visible += intersectionArea(rect, axFrame(screen));
    return !screens.empty() && visible <= visibleEnough;
}

bool ScreenGeometry::isParkedPosition(const std::vector<Screen>& screens, const Rect& rect) {
    return std::any_of(screens.begin(), screens.end(), [&](const Screen& s) {
        const Rect f = axFrame(s);
        return rect.minX() >= f.maxX() - 4.0 && rect.minX() <= f.maxX() &&
               rect.minY() >= f.midY() && rect.minY() <= f.maxY();
    });
}

bool frameMatches(const Rect& actual, const Rect& target, const std::optional<Size>& increment,
                  double tolerance) {
    const double stepW = increment ? std::max(tolerance, increment->width) : tolerance;
    const double stepH = increment ? std::max(tolerance, increment->height) : tolerance;
    return std::abs(actual.x - target.x) <= tolerance &&
           std::abs(actual.y - target.y) <= tolerance &&
           std::abs(actual.width - target.width) <= stepW &&
           std::abs(actual.height - target.height) <= stepH;
}

} // namespace morvanta
