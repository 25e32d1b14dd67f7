#include "app/controller/window_refresh.h"

#include "app/controller/layout_applier.h"
#include "ax/window_observer.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <numeric>

namespace morvanta {

void WindowRefresh::run() {
    if (!state_.isRunning.get())
        return;
    const auto screens = state_.screenSnapshot.screens();
    updateDisplays(screens);
    std::vector<std::string> newEntries;
    const auto seen = addWindows(screens, newEntries);
    const int gone = dropGoneWindows(seen);
    state_.seesWindows.set(!state_.registry.isEmpty());
    if (!newEntries.empty()) {
        std::string text;
        for (const auto& entry : newEntries)
            text += (text.empty() ? "" : ", ") + entry;
        state_.log.append("New windows: " + text + ".");
    }
    if (gone > 0)
        state_.log.append(std::to_string(gone) + " window(s) closed or minimised.");
    followFocus();
    applier_.apply(false);
}

void WindowRefresh::updateDisplays(const std::vector<Screen>& screens) {
    std::vector<std::size_t> order(screens.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto area = [&](std::size_t i) {
        return screens[i].frame.width * screens[i].frame.height;
    };
    // Largest first; equal areas keep the window system's order.
    std::ranges::stable_sort(order,
                             [&](std::size_t a, std::size_t b) { return area(a) > area(b); });
    std::vector<DisplayID> displays;
    for (const auto i : order)
        displays.push_back(DisplayID{ScreenGeometry::displayID(screens[i])});
    state_.manager.setDisplays(displays);
}

std::set<WindowID> WindowRefresh::addWindows(const std::vector<Screen>& screens,
                                             std::vector<std::string>& newEntries) {
    std::set<WindowID> seen;
    for (const auto& window : state_.system.windowList().all()) {
        const WindowID id = state_.registry.registerWindow(window);
        seen.insert(id);
        if (state_.manager.workspaceNumberOf(id))
            continue;
        if (screens.empty())
            continue; // no display to put it on: left untracked until one appears
        const auto frame = window.frame();
        const Screen screen =
            frame ? ScreenGeometry::screen(screens, *frame).value_or(screens.front())
                  : screens.front();
        newEntries.push_back(addNewWindow(id, window, screen));
    }
    return seen;
}

std::string WindowRefresh::addNewWindow(WindowID id, const AXWindow& window, const Screen& screen) {
    const auto rule = state_.settings.ruleForBundleID(window.bundleIdentifier());
    const auto preferred = rule ? rule->workspace : std::nullopt;
    state_.manager.addWindow(id, DisplayID{ScreenGeometry::displayID(screen)}, preferred);
    const bool floating = rule && rule->floating;
    if (floating)
        state_.manager.setFloating(id, true);
    observer_.watch(window);
    std::string entry = window.description();
    if (preferred)
        entry += " → " + workspaceLabel(*preferred);
    if (floating)
        entry += " (floating)";
    return entry;
}

int WindowRefresh::dropGoneWindows(const std::set<WindowID>& seen) {
    int gone = 0;
    for (const auto id : state_.manager.trackedWindows()) {
        if (seen.contains(id))
            continue;
        state_.manager.removeWindow(id);
        if (const auto window = state_.registry.windowFor(id)) {
            state_.parker.forget(*window);
            state_.focus.forgetWindow(*window);
        }
        state_.registry.forgetWindow(id);
        state_.frames.forget(id);
        ++gone;
    }
    return gone;
}

bool WindowRefresh::followFocus() {
    const auto focused = state_.focus.focused();
    if (!focused || focused == state_.focus.lastSeen())
        return false;
    const auto id = state_.registry.idFor(*focused);
    if (!id)
        return false;
    state_.focus.setLastSeen(focused);
    // The window manager handing the keyboard to a hidden window right after the controller
    // took it from one is the window manager's own choice, not the user's: followed, it would
    // bounce back to the workspace just left.
    constexpr auto handOver = std::chrono::milliseconds(500);
    if (state_.parker.isParked(*focused) &&
        state_.focus.keyboardTakenWithin(handOver, state_.loop.now()))
        return false;
    const auto before = state_.manager.locationOf(*id);
    state_.lastDisplay = before ? std::optional(before->display) : std::nullopt;
    const int shownBefore = before ? state_.manager.activeWorkspaceNumber(before->display) : 0;
    state_.manager.setFocused(*id);
    const auto after = state_.manager.locationOf(*id);
    if (!after || (before && shownBefore == after->workspace))
        return false;
    state_.log.append("Focus moved to workspace " + workspaceLabel(after->workspace) + " (" +
                      focused->description() + ").");
    return true;
}

void WindowRefresh::runFocus() {
    if (!state_.isRunning.get())
        return;
    if (followFocus())
        applier_.apply(false);
    else
        applier_.focusMoved();
}

} // namespace morvanta
