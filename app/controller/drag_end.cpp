#include "app/controller/drag_end.h"

#include "app/controller/layout_applier.h"
#include "ax/mouse_monitor.h"

namespace morvanta {

void DragEnd::examine() {
    if (!state_.isRunning.get() || state_.isPaused.get())
        return;
    const LayoutPlan plan = applier_.currentPlan();
    std::vector<std::pair<WindowID, AXWindow>> tiled;
    std::vector<AXWindow> windows;
    for (const auto& [id, target] : plan.visible)
        if (const auto window = state_.registry.windowFor(id)) {
            tiled.emplace_back(id, *window);
            windows.push_back(*window);
        }
    const auto frames = state_.system.windowAccess().frames(windows);
    for (std::size_t i = 0; i < tiled.size(); ++i) {
        const auto& [id, window] = tiled[i];
        const Rect& target = plan.visible.at(id);
        if (!frames[i] || state_.frames.atTarget(id, window, *frames[i], target))
            continue;
        if (state_.frames.sizeAtTarget(id, window, *frames[i], target))
            moved(id, window, plan);
        else
            resized(id, window, target, *frames[i], plan);
        return;
    }
}

void DragEnd::moved(WindowID id, const AXWindow& window, const LayoutPlan& plan) {
    const Point pointer = mouse_.location(); // already in the windows' top-left space
    for (const auto& [other, target] : plan.visible) {
        if (other == id || !target.contains(pointer))
            continue;
        if (const auto otherWindow = state_.registry.windowFor(other)) {
            state_.log.append("Swapped " + window.description() + " ↔ " +
                              otherWindow->description() + " by dragging.");
            state_.manager.swapWindows(id, other);
        }
        break;
    }
    state_.frames.forgetApplied(id);
    applier_.apply(false);
}

void DragEnd::resized(WindowID id, const AXWindow& window, const Rect& target, const Rect& current,
                      const LayoutPlan& plan) {
    const ResizeOutcome outcome = state_.manager.applyResize(id, target, current, plan.visible);
    if (outcome.mainRatio || outcome.sizesChanged)
        state_.log.append("Resized " + window.description() + " by dragging.");
    if (outcome.mainRatio) {
        state_.frames.forgetAllApplied();
        // Storing the ratio runs the settings-changed step, which lays everything out again.
        state_.settings.setMainRatio(*outcome.mainRatio);
        return;
    }
    state_.frames.forgetApplied(id);
    applier_.apply(false);
}

} // namespace morvanta
