#include "app/controller/summary_publisher.h"

#include "ax/mouse_monitor.h"

#include <algorithm>

namespace morvanta {

std::optional<DisplayID> SummaryPublisher::currentDisplay() {
    if (const auto focused = s_.manager.focused())
        if (const auto location = s_.manager.locationOf(*focused))
            return location->display;
    const auto& displays = s_.manager.displays();
    if (s_.lastDisplay && std::ranges::find(displays, *s_.lastDisplay) != displays.end())
        return s_.lastDisplay;
    const auto screens = s_.screens();
    if (mouse_) {
        const Point pointer = mouse_->location();
        for (const auto& screen : screens)
            if (rectContains(screen.frame, pointer))
                return DisplayID{screen.identity};
    }
    if (!screens.empty())
        return DisplayID{screens.front().identity};
    return std::nullopt;
}

std::string SummaryPublisher::screenName(const DisplayID& display) {
    for (const auto& screen : s_.screens())
        if (screen.identity == display.raw)
            return screen.name;
    return display.raw;
}

void SummaryPublisher::publish() {
    std::map<int, int> counts;
    std::map<int, std::vector<std::int32_t>> appPIDs;
    for (const int number : s_.manager.allWorkspaceNumbers()) {
        const auto windows = s_.manager.workspaceRecord(number).windows;
        counts[number] = static_cast<int>(windows.size());
        auto& pids = appPIDs[number];
        for (const auto id : windows)
            if (const auto window = s_.registry.windowFor(id))
                pids.push_back(window->pid());
    }
    const auto screens = s_.screens();
    std::map<std::string, const Screen*> byIdentity;
    for (const auto& screen : screens)
        byIdentity.emplace(screen.identity, &screen); // the first screen wins
    std::vector<DisplaySummary> summaries;
    for (const auto& display : s_.manager.displays()) {
        const int active = s_.manager.activeWorkspaceNumber(display);
        const auto screen = byIdentity.find(display.raw);
        summaries.push_back(
            DisplaySummary{display, screen != byIdentity.end() ? screen->second->name : display.raw,
                           active, s_.manager.workspaceRecord(active).layout, counts, appPIDs,
                           s_.manager.workspacesOnDisplay(display),
                           screen != byIdentity.end() ? screen->second->frame : Rect{}});
    }
    s_.summaries.set(std::move(summaries));
    const auto current = currentDisplay();
    s_.currentNumber.set(current ? s_.manager.activeWorkspaceNumber(*current) : 1);
    s_.focused.set(s_.manager.focused());
}

} // namespace morvanta
