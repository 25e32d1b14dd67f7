#include "app/controller/controller_commands.h"

#include "app/controller/focus_border.h"
#include "app/controller/layout_applier.h"
#include "app/controller/summary_publisher.h"
#include "app/controller/window_refresh.h"
#include "core/layout_presets.h"
#include "core/workspace_numbers.h"

#include <algorithm>

namespace morvanta {

namespace {
LayoutKind nextLayout(LayoutKind kind) {
    const auto it = std::ranges::find(allLayoutKinds, kind);
    const auto next = std::next(it);
    return next == allLayoutKinds.end() ? allLayoutKinds.front() : *next;
}
} // namespace

std::optional<std::pair<AXWindow, WindowID>> ControllerCommands::focusedTiled() {
    const auto window = state_.focus.focused();
    if (!window)
        return std::nullopt;
    const auto id = state_.registry.idFor(*window);
    if (!id)
        return std::nullopt;
    return std::pair{*window, *id};
}

void ControllerCommands::persistLayouts() {
    state_.settings.setLayoutsByWorkspace(state_.manager.layoutStrings());
}

void ControllerCommands::persistAssignment() {
    state_.settings.setWorkspaceDisplays(state_.manager.assignmentStrings());
}

void ControllerCommands::switchToWorkspace(int number) {
    const auto held = state_.screenSnapshot.hold();
    const auto display = state_.manager.displayForWorkspace(number);
    if (!display)
        return;
    state_.lastDisplay = display;
    state_.focus.setLastSeen(state_.focus.focused());
    state_.manager.switchToWorkspace(number);
    state_.log.append("Workspace " + workspaceLabel(number) + " on " +
                      summaries_.screenName(*display) + ".");
    applier_.apply(false);
    focusCurrentWindow();
}

void ControllerCommands::previousWorkspace() {
    const auto held = state_.screenSnapshot.hold();
    state_.focus.setLastSeen(state_.focus.focused());
    if (state_.manager.previous())
        state_.manager.switchToPrevious();
    if (const auto focused = state_.manager.focused())
        if (const auto location = state_.manager.locationOf(*focused)) {
            state_.lastDisplay = location->display;
            state_.log.append("Back to workspace " + workspaceLabel(location->workspace) + ".");
        }
    applier_.apply(false);
    focusCurrentWindow();
}

void ControllerCommands::moveFocusedWindow(int number) {
    const auto held = state_.screenSnapshot.hold();
    const auto focused = focusedTiled();
    if (!focused) {
        state_.log.append("No tiled window is focused.");
        return;
    }
    const auto& [window, id] = *focused;
    state_.focus.setLastSeen(window);
    state_.manager.setFocused(id);
    state_.manager.moveWindow(id, number);
    state_.log.append("Moved " + window.description() + " to workspace " + workspaceLabel(number) +
                      ".");
    applier_.apply(false);
    focusCurrentWindow();
}

std::optional<WindowID> ControllerCommands::neighbourOfFocused(Direction direction) {
    const auto focused = focusedTiled();
    if (!focused)
        return std::nullopt;
    return state_.manager.neighbor(focused->second, direction, applier_.currentPlan().visible);
}

void ControllerCommands::focusNeighbour(Direction direction) {
    const auto held = state_.screenSnapshot.hold();
    const auto neighbour = neighbourOfFocused(direction);
    if (!neighbour)
        return;
    state_.manager.setFocused(*neighbour);
    state_.focus.setLastSeen(state_.focus.focused()); // still the old window
    focusCurrentWindow();
}

void ControllerCommands::swapWithNeighbour(Direction direction) {
    const auto held = state_.screenSnapshot.hold();
    const auto focused = focusedTiled();
    if (!focused)
        return;
    const auto neighbour =
        state_.manager.neighbor(focused->second, direction, applier_.currentPlan().visible);
    if (!neighbour)
        return;
    state_.manager.swapWindows(focused->second, *neighbour);
    applier_.apply(false);
}

void ControllerCommands::toggleFloat() {
    const auto held = state_.screenSnapshot.hold();
    const auto focused = focusedTiled();
    if (!focused)
        return;
    const auto& [window, id] = *focused;
    const bool floats = !state_.manager.isFloating(id);
    state_.manager.setFloating(id, floats);
    state_.frames.forgetApplied(id);
    if (floats)
        if (const auto frame = window.frame())
            if (const auto screen = state_.screenSnapshot.screenHolding(*frame)) {
                const Rect v = ScreenGeometry::axVisibleFrame(*screen);
                window.setFrame(
                    {v.x + 0.2 * v.width, v.y + 0.2 * v.height, 0.6 * v.width, 0.6 * v.height});
            }
    state_.log.append(window.description() + " " + (floats ? "floats" : "is tiled again") + ".");
    applier_.apply(false);
}

void ControllerCommands::adjustMainRatio(double change) {
    const auto held = state_.screenSnapshot.hold();
    // Stored even when unchanged at a limit: the store's change handler lays out again.
    state_.settings.setMainRatio(std::clamp(state_.settings.mainRatio() + change,
                                            LayoutPresets::lowestMainRatio,
                                            LayoutPresets::highestMainRatio));
}

void ControllerCommands::setLayout(LayoutKind kind, std::optional<DisplayID> display) {
    const auto held = state_.screenSnapshot.hold();
    if (!display)
        display = summaries_.currentDisplay();
    if (!display)
        return;
    const int number = state_.manager.activeWorkspaceNumber(*display);
    state_.manager.setLayout(kind, number);
    persistLayouts();
    state_.log.append("Layout " + std::string(displayName(kind)) + " for workspace " +
                      workspaceLabel(number) + ".");
    applier_.apply(false);
}

void ControllerCommands::cycleLayout() {
    const auto held = state_.screenSnapshot.hold();
    const auto display = summaries_.currentDisplay();
    if (!display)
        return;
    setLayout(nextLayout(state_.manager.activeWorkspace(*display).layout), display);
}

void ControllerCommands::setLayoutForAllWorkspaces(LayoutKind kind) {
    const auto held = state_.screenSnapshot.hold();
    for (const int number : state_.manager.allWorkspaceNumbers())
        state_.manager.setLayout(kind, number);
    persistLayouts();
    state_.log.append("Layout " + std::string(displayName(kind)) + " for every workspace.");
    applier_.apply(false);
}

bool ControllerCommands::assignWorkspace(int number, const DisplayID& display) {
    const auto held = state_.screenSnapshot.hold();
    if (!state_.manager.moveWorkspace(number, display))
        return false;
    persistAssignment();
    state_.log.append("Workspace " + workspaceLabel(number) + " now belongs to " +
                      summaries_.screenName(display) + ".");
    applier_.apply(false);
    return true;
}

void ControllerCommands::resetDefaultSplit() {
    const auto held = state_.screenSnapshot.hold();
    state_.manager.resetAssignments();
    persistAssignment();
    state_.log.append("Workspaces split between screens by default again.");
    applier_.apply(false);
}

void ControllerCommands::setPaused(bool paused) {
    const auto held = state_.screenSnapshot.hold();
    if (paused == state_.isPaused.get())
        return;
    state_.isPaused.set(paused);
    if (!paused) {
        state_.log.append("Tiling resumed.");
        refresh_.run();
    } else {
        applier_.finishCheck();
        state_.parker.restoreAll();
        state_.frames.forgetAllApplied();
        border_.hide();
        state_.log.append("Tiling paused; all windows shown.");
    }
    summaries_.publish();
}

void ControllerCommands::reloadFromSettings(const AppSettings::StringMap& layouts,
                                            const AppSettings::StringMap& assignment) {
    const auto held = state_.screenSnapshot.hold();
    for (const int number : state_.manager.allWorkspaceNumbers())
        state_.manager.setLayout(state_.settings.defaultLayout(), number);
    state_.manager.applyLayoutStrings(layouts);
    state_.manager.resetAssignments();
    state_.manager.applyAssignmentStrings(assignment);
    persistLayouts();
    persistAssignment();
    state_.frames.forgetAllApplied();
    applier_.apply(false);
}

void ControllerCommands::focusCurrentWindow() {
    const auto held = state_.screenSnapshot.hold();
    state_.focus.forgetRead();
    if (const auto focused = state_.manager.focused())
        if (const auto window = state_.registry.windowFor(*focused)) {
            // Not waited for: the focus tracker reports where the focus lands.
            state_.system.windowAccess().sendFocus(*window);
            state_.focus.askedFor(*window);
            return;
        }
    // Nothing to focus here: the keyboard must not stay with a window that was just hidden.
    // Morvanta's own window takes it when one is open, as activating the program would; else,
    // when the keyboard is still on a hidden window (a window manager that minimised it has
    // moved the focus itself), nothing keeps it.
    if (activateSelf && activateSelf())
        return;
    if (const auto focused = state_.focus.focused(); focused && state_.parker.isParked(*focused)) {
        state_.system.windowAccess().focusNothing();
        state_.focus.keyboardTaken(state_.loop.now());
    }
}

} // namespace morvanta
