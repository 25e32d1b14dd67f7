#include "app/controller/startup_rescue.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

std::size_t StartupRescue::run() {
    std::vector<AXWindow> rescued = state_.parker.restoreMarked();
    const std::size_t marked = rescued.size();
    const auto screens = state_.screenSnapshot.screens();
    for (const auto& window : state_.system.windowList().all()) {
        const auto frame = window.frame();
        if (frame && ScreenGeometry::isParkedPosition(screens, *frame) &&
            std::ranges::find(rescued, window) == rescued.end())
            rescued.push_back(window);
    }
    if (rescued.empty())
        return 0;
    std::string names;
    for (const auto& window : rescued)
        names += (names.empty() ? "" : ", ") + window.description();
    state_.log.append("Rescuing " + std::to_string(rescued.size()) +
                      " window(s) left in a screen corner: " + names + ".");
    for (std::size_t i = marked; i < rescued.size(); ++i) {
        const auto frame = rescued[i].frame();
        if (!frame)
            continue;
        auto screen = ScreenGeometry::screen(screens, *frame);
        if (!screen)
            continue; // no screen at all
        rescued[i].setFrame(centred(*frame, ScreenGeometry::axVisibleFrame(*screen)));
    }
    return rescued.size();
}

Rect StartupRescue::centred(const Rect& frame, const Rect& visible) {
    const double w = std::min(frame.width, visible.width);
    const double h = std::min(frame.height, visible.height);
    // std::round rounds halves away from zero.
    return {std::round(visible.midX() - w * 0.5), std::round(visible.midY() - h * 0.5), w, h};
}

} // namespace morvanta
