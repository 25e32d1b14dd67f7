#include "app/controller/screen_snapshot.h"

#include "ax/screen_geometry.h"

namespace morvanta {

std::vector<Screen> ScreenSnapshot::screens() {
    if (holds_ == 0)
        return source_.screens();
    if (!kept_)
        kept_ = source_.screens();
    return *kept_;
}

std::optional<Screen> ScreenSnapshot::screenHolding(const Rect& rect) {
    const auto best = ScreenGeometry::screen(screens(), rect);
    if (!best || ScreenGeometry::intersectionArea(best->frame, rect) <= 0)
        return std::nullopt;
    return best;
}

ScreenSnapshot::Hold::~Hold() {
    if (--snapshot_.holds_ == 0)
        snapshot_.kept_.reset();
}

} // namespace morvanta
