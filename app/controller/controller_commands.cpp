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
    const auto window = s_.focusedWindow();
    if (!window)
        return std::nullopt;
    const auto id = s_.registry.idFor(*window);
    if (!id)
        return std::nullopt;
    return std::pair{*window, *id};
}

void ControllerCommands::persistLayouts() {
    s_.settings.setLayoutsByWorkspace(s_.manager.layoutStrings());
}

void ControllerCommands::persistAssignment() {
    s_.settings.setWorkspaceDisplays(s_.manager.assignmentStrings());
}

void ControllerCommands::switchToWorkspace(int number) {
    const auto display = s_.manager.displayForWorkspace(number);
    if (!display)
        return;
    s_.lastDisplay = display;
    s_.lastOSFocus = s_.focusedWindow();
    s_.manager.switchToWorkspace(number);
    s_.log.append("Workspace " + workspaceLabel(number) + " on " + summaries_.screenName(*display) +
                  ".");
    applier_.apply(false);
    focusCurrentWindow();
}

void ControllerCommands::previousWorkspace() {
    s_.lastOSFocus = s_.focusedWindow();
    if (s_.manager.previous())
        s_.manager.switchToPrevious();
    if (const auto focused = s_.manager.focused())
        if (const auto location = s_.manager.locationOf(*focused)) {
            s_.lastDisplay = location->display;
            s_.log.append("Back to workspace " + workspaceLabel(location->workspace) + ".");
        }
    applier_.apply(false);
    focusCurrentWindow();
}

void ControllerCommands::moveFocusedWindow(int number) {
    const auto focused = focusedTiled();
    if (!focused) {
        s_.log.append("No tiled window is focused.");
        return;
    }
    const auto& [window, id] = *focused;
    s_.lastOSFocus = window;
    s_.manager.setFocused(id);
    s_.manager.moveWindow(id, number);
    s_.log.append("Moved " + window.description() + " to workspace " + workspaceLabel(number) +
                  ".");
    applier_.apply(false);
    focusCurrentWindow();
}

std::optional<WindowID> ControllerCommands::neighbourOfFocused(Direction direction) {
    const auto focused = focusedTiled();
    if (!focused)
        return std::nullopt;
    return s_.manager.neighbor(focused->second, direction, applier_.currentPlan().visible);
}

void ControllerCommands::focusNeighbour(Direction direction) {
    const auto neighbour = neighbourOfFocused(direction);
    if (!neighbour)
        return;
    s_.manager.setFocused(*neighbour);
    s_.lastOSFocus = s_.focusedWindow(); // still the old window
    focusCurrentWindow();
}

void ControllerCommands::swapWithNeighbour(Direction direction) {
    const auto focused = focusedTiled();
    if (!focused)
        return;
    const auto neighbour =
        s_.manager.neighbor(focused->second, direction, applier_.currentPlan().visible);
    if (!neighbour)
        return;
    s_.manager.swapWindows(focused->second, *neighbour);
    applier_.apply(false);
}

void ControllerCommands::toggleFloat() {
    const auto focused = focusedTiled();
    if (!focused)
        return;
    const auto& [window, id] = *focused;
    const bool floats = !s_.manager.isFloating(id);
    s_.manager.setFloating(id, floats);
    s_.applied.erase(id);
    if (floats)
        if (const auto frame = window.frame())
            if (const auto screen = screenHolding(s_.screens(), *frame)) {
                const Rect v = ScreenGeometry::axVisibleFrame(*screen);
                window.setFrame(
                    {v.x + 0.2 * v.width, v.y + 0.2 * v.height, 0.6 * v.width, 0.6 * v.height});
            }
    s_.log.append(window.description() + " " + (floats ? "floats" : "is tiled again") + ".");
    applier_.apply(false);
}

void ControllerCommands::adjustMainRatio(double change) {
    // Stored even when unchanged at a limit: the store's change handler lays out again.
    s_.settings.setMainRatio(std::clamp(s_.settings.mainRatio() + change,
                                        LayoutPresets::lowestMainRatio,
                                        LayoutPresets::highestMainRatio));
}

void ControllerCommands::setLayout(LayoutKind kind, std::optional<DisplayID> display) {
    if (!display)
        display = summaries_.currentDisplay();
    if (!display)
        return;
    const int number = s_.manager.activeWorkspaceNumber(*display);
    s_.manager.setLayout(kind, number);
    persistLayouts();
    s_.log.append("Layout " + std::string(displayName(kind)) + " for workspace " +
                  workspaceLabel(number) + ".");
    applier_.apply(false);
}

void ControllerCommands::cycleLayout() {
    const auto display = summaries_.currentDisplay();
    if (!display)
        return;
    setLayout(nextLayout(s_.manager.activeWorkspace(*display).layout), display);
}

void ControllerCommands::setLayoutForAllWorkspaces(LayoutKind kind) {
    for (const int number : s_.manager.allWorkspaceNumbers())
        s_.manager.setLayout(kind, number);
    persistLayouts();
    s_.log.append("Layout " + std::string(displayName(kind)) + " for every workspace.");
    applier_.apply(false);
}

bool ControllerCommands::assignWorkspace(int number, const DisplayID& display) {
    if (!s_.manager.moveWorkspace(number, display))
        return false;
    persistAssignment();
    s_.log.append("Workspace " + workspaceLabel(number) + " now belongs to " +
                  summaries_.screenName(display) + ".");
    applier_.apply(false);
    return true;
}

void ControllerCommands::resetDefaultSplit() {
    s_.manager.resetAssignments();
    persistAssignment();
    s_.log.append("Workspaces split between screens by default again.");
    applier_.apply(false);
}

void ControllerCommands::setPaused(bool paused) {
    if (paused == s_.isPaused.get())
        return;
    s_.isPaused.set(paused);
    if (!paused) {
        s_.log.append("Tiling resumed.");
        refresh_.run();
    } else {
        applier_.finishCheck();
        s_.parker.restoreAll();
        s_.applied.clear();
        border_.hide();
        s_.log.append("Tiling paused; all windows shown.");
    }
    summaries_.publish();
}

void ControllerCommands::reloadFromSettings(const AppSettings::StringMap& layouts,
                                            const AppSettings::StringMap& assignment) {
    for (const int number : s_.manager.allWorkspaceNumbers())
        s_.manager.setLayout(s_.settings.defaultLayout(), number);
    s_.manager.applyLayoutStrings(layouts);
    s_.manager.resetAssignments();
    s_.manager.applyAssignmentStrings(assignment);
    persistLayouts();
    persistAssignment();
    s_.applied.clear();
    applier_.apply(false);
}

void ControllerCommands::focusCurrentWindow() {
    s_.forgetFocusRead();
    if (const auto focused = s_.manager.focused())
        if (const auto window = s_.registry.windowFor(*focused)) {
            // Not waited for: the focus tracker reports where the focus lands.
            s_.system.windowAccess().sendFocus(*window);
            s_.focusAskedFor = *window;
            return;
        }
    // Nothing to focus here: the keyboard must not stay with a window that was just hidden.
    // Morvanta's own window takes it when one is open, as activating the program would; else,
    // when the keyboard is still on a hidden window (a window manager that minimised it has
    // moved the focus itself), nothing keeps it.
    if (activateSelf && activateSelf())
        return;
    if (const auto focused = s_.focusedWindow(); focused && s_.parker.isParked(*focused)) {
        s_.system.windowAccess().focusNothing();
        s_.keyboardTakenAt = s_.loop.now();
    }
}

} // namespace morvanta
