#include "app/controller/window_registry.h"

namespace morvanta {

WindowID WindowRegistry::registerWindow(const AXWindow& window) {
    if (const auto it = byWindow_.find(window); it != byWindow_.end())
        return it->second;
    const WindowID id{nextID_++};
    byID_.emplace(id, window);
    byWindow_.emplace(window, id);
    return id;
}

std::optional<AXWindow> WindowRegistry::windowFor(WindowID id) const {
    const auto it = byID_.find(id);
    if (it == byID_.end())
        return std::nullopt;
    return it->second;
}

std::optional<WindowID> WindowRegistry::idFor(const AXWindow& window) const {
    const auto it = byWindow_.find(window);
    if (it == byWindow_.end())
        return std::nullopt;
    return it->second;
}

void WindowRegistry::forgetWindow(WindowID id) {
    const auto it = byID_.find(id);
    if (it == byID_.end())
        return;
    byWindow_.erase(it->second);
    byID_.erase(it);
}

} // namespace morvanta
