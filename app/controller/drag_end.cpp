#include "app/controller/drag_end.h"

#include "app/controller/layout_applier.h"
#include "ax/mouse_monitor.h"

namespace morvanta {

void DragEnd::examine() {
    if (!s_.isRunning.get() || s_.isPaused.get())
        return;
    const LayoutPlan plan = applier_.currentPlan();
    std::vector<std::pair<WindowID, AXWindow>> tiled;
    std::vector<AXWindow> windows;
    for (const auto& [id, target] : plan.visible)
        if (const auto window = s_.registry.windowFor(id)) {
            tiled.emplace_back(id, *window);
            windows.push_back(*window);
        }
    const auto frames = s_.system.windowAccess().frames(windows);
    for (std::size_t i = 0; i < tiled.size(); ++i) {
        const auto& [id, window] = tiled[i];
        const Rect& target = plan.visible.at(id);
        const auto step = s_.incrementOf(id, window);
        if (!frames[i] || atTarget(*frames[i], target, step))
            continue;
        if (sizeAtTarget(*frames[i], target, step))
            moved(id, window, plan);
        else
            resized(id, window, target, *frames[i], plan);
        return;
    }
}

void DragEnd::moved(WindowID id, const AXWindow& window, const LayoutPlan& plan) {
    const Point pointer = mouse_.location(); // already in the windows' top-left space
    for (const auto& [other, target] : plan.visible) {
        if (other == id || !rectContains(target, pointer))
            continue;
        if (const auto otherWindow = s_.registry.windowFor(other)) {
            s_.log.append("Swapped " + window.description() + " ↔ " + otherWindow->description() +
                          " by dragging.");
            s_.manager.swapWindows(id, other);
        }
        break;
    }
    s_.applied.erase(id);
    applier_.apply(false);
}

void DragEnd::resized(WindowID id, const AXWindow& window, const Rect& target, const Rect& current,
                      const LayoutPlan& plan) {
    const ResizeOutcome outcome = s_.manager.applyResize(id, target, current, plan.visible);
    if (outcome.mainRatio || outcome.sizesChanged)
        s_.log.append("Resized " + window.description() + " by dragging.");
    if (outcome.mainRatio) {
        s_.applied.clear();
        // Storing the ratio runs the settings-changed step, which lays everything out again.
        s_.settings.setMainRatio(*outcome.mainRatio);
        return;
    }
    s_.applied.erase(id);
    applier_.apply(false);
}

} // namespace morvanta
