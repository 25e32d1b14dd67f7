#include "app/selftest/placement_probe.h"

#include "ax/screen_geometry.h"
#include "core/workspace_numbers.h"

#include <cmath>

namespace morvanta {

namespace {

std::string whole(double value) {
    return std::to_string(static_cast<long long>(std::trunc(value)));
}

bool near(double a, double b) {
    return std::abs(a - b) <= 2.0;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (const auto& part : parts)
        out += (out.empty() ? "" : separator) + part;
    return out;
}

} // namespace

PlacementProbe::PlacementProbe(TilingController& controller)
    : controller_(controller), system_(controller.windowSystem()),
      parkTest_(system_.screenSource(), system_.windowAccess()) {}

std::string PlacementProbe::frameText(const Rect& frame) {
    return whole(frame.x) + "," + whole(frame.y) + " " + whole(frame.width) + "×" +
           whole(frame.height);
}

bool PlacementProbe::isInParkedPosition(const AXWindow& window, const Rect& frame) {
    return parkTest_.isInParkedPosition(window, frame);
}

PlacementVerdict PlacementProbe::verifyPlacement() {
    const LayoutPlan plan = controller_.currentPlan();
    const auto& registry = controller_.registry();
    std::vector<std::string> notes;
    std::vector<std::string> problems;

    for (const auto& [id, target] : plan.visible) {
        const auto window = registry.windowFor(id);
        if (!window)
            continue;
        const auto actual = window->frame();
        if (!actual)
            continue;
        const bool inPlace = near(actual->x, target.x) && near(actual->y, target.y);
        if (inPlace && near(actual->width, target.width) && near(actual->height, target.height))
            continue;
        // Terminals snap their size to whole character cells: within one step is in its slot.
        if (frameMatches(*actual, target, window->sizeIncrement(), 2.0)) {
            notes.push_back(window->description() + " sits within one size step of its slot");
        } else if (inPlace && actual->width >= target.width - 2 &&
                   actual->height >= target.height - 2) {
            notes.push_back(window->description() + " kept its minimum size");
        } else {
            problems.push_back(window->description() + " at " + frameText(*actual) + ", expected " +
                               frameText(target));
        }
    }
    for (const auto& [id, display] : plan.hidden) {
        const auto window = registry.windowFor(id);
        if (!window)
            continue;
        const auto actual = window->frame();
        if (actual && !isInParkedPosition(*window, *actual))
            problems.push_back(window->description() + " should be hidden but is on screen");
    }

    PlacementVerdict verdict;
    verdict.detail = std::to_string(plan.visible.size()) + " shown, " +
                     std::to_string(plan.hidden.size()) + " hidden";
    if (!notes.empty())
        verdict.detail += "; notes: " + joined(notes, "; ");
    if (!problems.empty())
        verdict.detail += "; PROBLEMS: " + joined(problems, "; ");
    verdict.passed = problems.empty();
    return verdict;
}

std::string PlacementProbe::screenNameFor(const std::optional<Rect>& frame) {
    if (!frame)
        return "?";
    const auto screens = system_.screenSource().screens();
    const auto screen = ScreenGeometry::screen(screens, *frame);
    if (!screen || ScreenGeometry::intersectionArea(screen->frame, *frame) <= 0)
        return "?";
    return controller_.screenName(DisplayID{screen->identity});
}

std::string PlacementProbe::describePlacement() {
    const auto& manager = controller_.manager();
    std::vector<std::string> entries;
    for (const auto& [id, window] : controller_.registry().allWindows()) {
        const auto location = manager.locationOf(id);
        if (!location)
            continue;
        const auto frame = window.frame();
        std::string entry =
            window.description() + ": model " + controller_.screenName(location->display) + " ws" +
            workspaceLabel(location->workspace) + ", actually on " + screenNameFor(frame);
        if (frame && isInParkedPosition(window, *frame))
            entry += ", parked";
        entries.push_back(entry);
    }
    return joined(entries, " | ");
}

std::vector<WindowID> PlacementProbe::tiledWindows(const DisplayID& display) const {
    const auto& manager = controller_.manager();
    std::vector<WindowID> out;
    for (const auto id : manager.activeWorkspace(display).windows)
        if (!manager.isFloating(id))
            out.push_back(id);
    return out;
}

int PlacementProbe::tiledWindowCount(const DisplayID& display) const {
    return static_cast<int>(tiledWindows(display).size());
}

std::optional<AXWindow> PlacementProbe::focusTiledWindow(const DisplayID& display,
                                                         std::size_t index, DiagnosticsLog& log) {
    const auto ids = tiledWindows(display);
    if (index < ids.size()) {
        const auto window = controller_.registry().windowFor(ids[index]);
        if (!window)
            return std::nullopt;
        const FocusResult result = window->focus();
        log.append("Focus request → " + window->description() + " (" +
                   window->bundleIdentifier().value_or("?") + "): frontmost " +
                   std::to_string(result.frontmost) + ", main " + std::to_string(result.main) +
                   ", raise " + std::to_string(result.raise) + ".");
        return window;
    }
    return std::nullopt;
}

VisibilityReport PlacementProbe::visibilityReport() {
    const auto screens = system_.screenSource().screens();
    VisibilityReport report;
    for (const auto& screen : screens)
        report.shown[DisplayID{screen.identity}];
    const auto windows = system_.windowList().all();
    const auto frames = system_.windowAccess().frames(windows);
    for (std::size_t i = 0; i < windows.size() && i < frames.size(); ++i) {
        if (!frames[i] || isInParkedPosition(windows[i], *frames[i]))
            continue;
        const auto screen = ScreenGeometry::screen(screens, *frames[i]);
        if (screen && ScreenGeometry::intersectionArea(screen->frame, *frames[i]) > 0)
            report.shown[DisplayID{screen->identity}].insert(windows[i]);
    }
    return report;
}

int PlacementProbe::parkedWindowCount() {
    const auto windows = system_.windowList().all();
    const auto frames = system_.windowAccess().frames(windows);
    int count = 0;
    for (std::size_t i = 0; i < windows.size() && i < frames.size(); ++i)
        if (frames[i] && isInParkedPosition(windows[i], *frames[i]))
            ++count;
    return count;
}

} // namespace morvanta
