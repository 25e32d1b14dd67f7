#include "app/controller/summary_publisher.h"

#include "ax/mouse_monitor.h"

#include <algorithm>

namespace morvanta {

std::optional<DisplayID> SummaryPublisher::currentDisplay() {
    if (const auto focused = state_.manager.focused())
        if (const auto location = state_.manager.locationOf(*focused))
            return location->display;
    const auto& displays = state_.manager.displays();
    if (state_.lastDisplay && std::ranges::find(displays, *state_.lastDisplay) != displays.end())
        return state_.lastDisplay;
    const auto screens = state_.screenSnapshot.screens();
    if (mouse_) {
        const Point pointer = mouse_->location();
        for (const auto& screen : screens)
            if (screen.frame.contains(pointer))
                return DisplayID{screen.identity};
    }
    if (!screens.empty())
        return DisplayID{screens.front().identity};
    return std::nullopt;
}

std::string SummaryPublisher::screenName(const DisplayID& display) {
    for (const auto& screen : state_.screenSnapshot.screens())
        if (screen.identity == display.raw)
            return screen.name;
    return display.raw;
}

void SummaryPublisher::publish() {
    std::map<int, int> counts;
    std::map<int, std::vector<std::int32_t>> appPIDs;
    for (const int number : state_.manager.allWorkspaceNumbers()) {
        const auto windows = state_.manager.workspaceRecord(number).windows;
        counts[number] = static_cast<int>(windows.size());
        auto& pids = appPIDs[number];
        for (const auto id : windows)
            if (const auto window = state_.registry.windowFor(id))
                pids.push_back(window->pid());
    }
    const auto screens = state_.screenSnapshot.screens();
    std::map<std::string, const Screen*> byIdentity;
    for (const auto& screen : screens)
        byIdentity.emplace(screen.identity, &screen); // the first screen wins
    std::vector<DisplaySummary> summaries;
    for (const auto& display : state_.manager.displays()) {
        const int active = state_.manager.activeWorkspaceNumber(display);
        const auto screen = byIdentity.find(display.raw);
        summaries.push_back(
            DisplaySummary{display, screen != byIdentity.end() ? screen->second->name : display.raw,
                           active, state_.manager.workspaceRecord(active).layout, counts, appPIDs,
                           state_.manager.workspacesOnDisplay(display),
                           screen != byIdentity.end() ? screen->second->frame : Rect{}});
    }
    state_.summaries.set(std::move(summaries));
    const auto current = currentDisplay();
    state_.currentNumber.set(current ? state_.manager.activeWorkspaceNumber(*current) : 1);
    state_.focused.set(state_.manager.focused());
}

} // namespace morvanta
