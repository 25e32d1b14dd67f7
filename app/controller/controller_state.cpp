#include "app/controller/controller_state.h"

#include <cmath>

namespace morvanta {

namespace {
std::string whole(double value) {
    return std::to_string(static_cast<long long>(std::trunc(value)));
}
} // namespace

std::string frameText(const std::optional<Rect>& frame) {
    if (!frame)
        return "?";
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about a chain of `+` here.
    std::string text(1, '(');
    for (const auto& [value, after] :
         {std::pair{frame->x, ", "}, std::pair{frame->y, " "}, std::pair{frame->width, "×"},
          std::pair{frame->height, ")"}}) {
        text += whole(value);
        text += after;
    }
    return text;
}

std::optional<Screen> screenHolding(const std::vector<Screen>& screens, const Rect& rect) {
    const auto best = ScreenGeometry::screen(screens, rect);
    if (!best || ScreenGeometry::intersectionArea(best->frame, rect) <= 0)
        return std::nullopt;
    return best;
}

bool rectContains(const Rect& rect, const Point& point) {
    return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() &&
           point.y < rect.maxY();
}

} // namespace morvanta
