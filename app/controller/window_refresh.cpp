#include "app/controller/window_refresh.h"

#include "app/controller/layout_applier.h"
#include "ax/window_observer.h"
#include "core/workspace_numbers.h"

#include <algorithm>
#include <numeric>

namespace morvanta {

void WindowRefresh::run() {
    if (!s_.isRunning.get())
        return;
    const auto screens = s_.screens();
    updateDisplays(screens);
    std::vector<std::string> newEntries;
    const auto seen = addWindows(screens, newEntries);
    const int gone = dropGoneWindows(seen);
    s_.seesWindows.set(!s_.registry.isEmpty());
    if (!newEntries.empty()) {
        std::string text;
        for (const auto& entry : newEntries)
            text += (text.empty() ? "" : ", ") + entry;
        s_.log.append("New windows: " + text + ".");
    }
    if (gone > 0)
        s_.log.append(std::to_string(gone) + " window(s) closed or minimised.");
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
    s_.manager.setDisplays(displays);
}

std::set<WindowID> WindowRefresh::addWindows(const std::vector<Screen>& screens,
                                             std::vector<std::string>& newEntries) {
    std::set<WindowID> seen;
    for (const auto& window : s_.system.windowList().all()) {
        const WindowID id = s_.registry.registerWindow(window);
        seen.insert(id);
        if (s_.manager.workspaceNumberOf(id))
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
    const auto rule = s_.settings.ruleForBundleID(window.bundleIdentifier());
    const auto preferred = rule ? rule->workspace : std::nullopt;
    s_.manager.addWindow(id, DisplayID{ScreenGeometry::displayID(screen)}, preferred);
    const bool floating = rule && rule->floating;
    if (floating)
        s_.manager.setFloating(id, true);
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
    for (const auto id : s_.manager.trackedWindows()) {
        if (seen.contains(id))
            continue;
        s_.manager.removeWindow(id);
        if (const auto window = s_.registry.windowFor(id)) {
            s_.parker.forget(*window);
            if (s_.lastOSFocus == window)
                s_.lastOSFocus.reset(); // a later window may reuse its id
        }
        s_.registry.forgetWindow(id);
        s_.forgetFrames(id);
        ++gone;
    }
    return gone;
}

bool WindowRefresh::followFocus() {
    const auto focused = s_.focusedWindow();
    if (!focused || focused == s_.lastOSFocus)
        return false;
    const auto id = s_.registry.idFor(*focused);
    if (!id)
        return false;
    s_.lastOSFocus = focused;
    // The window manager handing the keyboard to a hidden window right after the controller
    // took it from one is the window manager's own choice, not the user's: followed, it would
    // bounce back to the workspace just left.
    constexpr auto handOver = std::chrono::milliseconds(500);
    if (s_.parker.isParked(*focused) && s_.keyboardTakenAt &&
        s_.loop.now() - *s_.keyboardTakenAt < handOver)
        return false;
    const auto before = s_.manager.locationOf(*id);
    s_.lastDisplay = before ? std::optional(before->display) : std::nullopt;
    const int shownBefore = before ? s_.manager.activeWorkspaceNumber(before->display) : 0;
    s_.manager.setFocused(*id);
    const auto after = s_.manager.locationOf(*id);
    if (!after || (before && shownBefore == after->workspace))
        return false;
    s_.log.append("Focus moved to workspace " + workspaceLabel(after->workspace) + " (" +
                  focused->description() + ").");
    return true;
}

void WindowRefresh::runFocus() {
    if (!s_.isRunning.get())
        return;
    if (followFocus())
        applier_.apply(false);
    else
        applier_.focusMoved();
}

} // namespace morvanta
