#include "ax/window_access.h"

namespace morvanta {

std::string WindowAccess::description(const AXWindow& window) {
    return appName(window) + " — “" + title(window) + "”";
}

std::vector<std::optional<Rect>> WindowAccess::frames(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(frame(w));
    return result;
}

std::vector<bool> WindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    std::vector<bool> result;
    result.reserve(targets.size());
    for (const auto& [w, r] : targets)
        result.push_back(setFrame(w, r));
    return result;
}

std::vector<std::optional<Size>>
WindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Size>> result;
    result.reserve(windows.size());
    for (const auto& w : windows)
        result.push_back(sizeIncrement(w));
    return result;
}

void WindowAccess::deiconifyAll(const std::vector<AXWindow>& windows) {
    for (const auto& w : windows)
        deiconify(w);
}

} // namespace morvanta
