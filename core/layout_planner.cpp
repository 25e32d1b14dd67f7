#include "core/layout_planner.h"

#include "core/layout_presets.h"
#include "core/workspace_manager.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace morvanta {

// Gathers the plan's entries in flat lists first and builds the maps once, in key order, so
// thousands of windows cost one sort each instead of thousands of tree searches.
class LayoutPlanner::Collector {
public:
    void show(WindowID window, const Rect& frame) { visible_.emplace_back(window, frame); }
    void keepFloating(WindowID window) { floating_.push_back(window); }
    void hide(WindowID window, const DisplayID* display) { hidden_.emplace_back(window, display); }

    LayoutPlan finish() {
        LayoutPlan plan;
        sortByWindow(visible_);
        for (const auto& [window, frame] : visible_)
            plan.visible.insert_or_assign(plan.visible.end(), window, frame);
        std::sort(floating_.begin(), floating_.end());
        for (WindowID window : floating_)
            plan.floating.emplace_hint(plan.floating.end(), window);
        sortByWindow(hidden_);
        for (const auto& [window, display] : hidden_)
            plan.hidden.insert_or_assign(plan.hidden.end(), window, *display);
        return plan;
    }

private:
    // Stable, so that of two entries for one window the later one wins, as an assignment would.
    template <typename Entry> static void sortByWindow(std::vector<Entry>& entries) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
    }

    std::vector<std::pair<WindowID, Rect>> visible_;
    std::vector<WindowID> floating_;
    std::vector<std::pair<WindowID, const DisplayID*>> hidden_;
};

LayoutPlanner::LayoutPlanner(const WorkspaceManager& manager,
                             const std::map<WindowID, Size>& minimumSizes,
                             const LayoutOptions& options)
    : manager_(manager), minimumSizes_(minimumSizes), options_(options) {}

LayoutPlan LayoutPlanner::plan(const std::map<DisplayID, Rect>& screens) const {
    Collector out;
    collectHiddenWorkspaces(out);
    for (const DisplayID& display : manager_.displays()) {
        // A display that owns no workspace shows nothing: the workspace its fallback names is
        // already shown on its owner, and laying it out twice would pull its windows across.
        const int number = manager_.activeWorkspaceNumber(display);
        const auto owner = manager_.owners().find(number);
        if (owner == manager_.owners().end() || owner->second != display)
            continue;
        const auto stored = manager_.workspaces().find(number);
        if (stored == manager_.workspaces().end())
            continue; // a fresh record has no windows
        collectShownWorkspace(display, stored->second, screens, out);
    }
    return out.finish();
}

// Every stored workspace that its display does not show is parked on that display.
void LayoutPlanner::collectHiddenWorkspaces(Collector& out) const {
    const std::vector<DisplayID>& displays = manager_.displays();
    for (const auto& [number, workspace] : manager_.workspaces()) {
        if (workspace.windows.empty())
            continue;
        const auto owner = manager_.owners().find(number);
        const DisplayID* display = owner != manager_.owners().end() ? &owner->second
                                   : displays.empty()               ? nullptr
                                                                    : &displays.front();
        if (display == nullptr || manager_.activeWorkspaceNumber(*display) == number)
            continue;
        for (WindowID window : workspace.windows)
            out.hide(window, display);
    }
}

void LayoutPlanner::collectShownWorkspace(const DisplayID& display, const Workspace& workspace,
                                          const std::map<DisplayID, Rect>& screens,
                                          Collector& out) const {
    const std::set<WindowID>& floatingMarks = manager_.floatingWindows();
    std::vector<WindowID> tiled;
    std::vector<WindowID> floating;
    tiled.reserve(workspace.windows.size());
    for (WindowID window : workspace.windows)
        (floatingMarks.contains(window) ? floating : tiled).push_back(window);

    const auto screen = screens.find(display);
    if (screen == screens.end()) {
        for (WindowID window : tiled)
            out.hide(window, &display);
        for (WindowID window : floating)
            out.hide(window, &display);
        return;
    }
    for (WindowID window : floating)
        out.keepFloating(window);
    if (tiled.empty())
        return;
    if (workspace.layout == LayoutKind::monocle)
        collectMonocle(display, tiled, screen->second, out);
    else
        collectTiled(workspace, tiled, screen->second, out);
}

// Only the front window shows, on whole points; the rest of the workspace is parked.
void LayoutPlanner::collectMonocle(const DisplayID& display, const std::vector<WindowID>& tiled,
                                   const Rect& screen, Collector& out) const {
    const std::optional<WindowID> focused = manager_.focused();
    const WindowID front = focused && std::find(tiled.begin(), tiled.end(), *focused) != tiled.end()
                               ? *focused
                               : tiled.front();
    const double gap = options_.outerGap;
    Rect area{screen.x + gap, screen.y + gap, screen.width - 2 * gap, screen.height - 2 * gap};
    if (!(area.width > 0 && area.height > 0))
        area = screen;
    const double x0 = std::round(area.minX());
    const double y0 = std::round(area.minY());
    const double x1 = std::round(area.maxX());
    const double y1 = std::round(area.maxY());
    for (WindowID window : tiled) {
        if (window == front)
            out.show(window, Rect{x0, y0, x1 - x0, y1 - y0});
        else
            out.hide(window, &display);
    }
}

void LayoutPlanner::collectTiled(const Workspace& workspace, const std::vector<WindowID>& tiled,
                                 const Rect& screen, Collector& out) const {
    std::vector<Size> minimums;
    std::vector<double> weights;
    minimums.reserve(tiled.size());
    weights.reserve(tiled.size());
    for (WindowID window : tiled) {
        const auto minimum = minimumSizes_.find(window);
        minimums.push_back(minimum != minimumSizes_.end() ? minimum->second : Size{});
        const auto weight = workspace.weights.find(window);
        weights.push_back(weight != workspace.weights.end() ? weight->second : 1.0);
    }
    const std::vector<Rect> frames = LayoutPresets::frames(
        static_cast<int>(tiled.size()), workspace.layout, minimums, weights, screen, options_);
    for (std::size_t i = 0; i < tiled.size() && i < frames.size(); ++i)
        out.show(tiled[i], frames[i]);
}

} // namespace morvanta
