// LayoutPlanner: the planning step. Reads a workspace manager and decides, for one apply, the
// frame of every shown tiled window, which shown windows float, and which windows to park on
// which display. Reads only; the manager is never changed.
#pragma once

#include "core/display_id.h"
#include "core/geometry.h"
#include "core/layout_options.h"
#include "core/results.h"
#include "core/window_id.h"

#include <map>

namespace morvanta {

class WorkspaceManager;
struct Workspace;

class LayoutPlanner {
public:
    LayoutPlanner(const WorkspaceManager& manager, const std::map<WindowID, Size>& minimumSizes,
                  const LayoutOptions& options);

    // `screens` holds each connected display's usable frame; a display without one shows
    // nothing and its windows are parked.
    LayoutPlan plan(const std::map<DisplayID, Rect>& screens) const;

private:
    class Collector;

    void collectHiddenWorkspaces(Collector& out) const;
    void collectShownWorkspace(const DisplayID& display, const Workspace& workspace,
                               const std::map<DisplayID, Rect>& screens, Collector& out) const;
    void collectMonocle(const DisplayID& display, const std::vector<WindowID>& tiled,
                        const Rect& screen, Collector& out) const;
    void collectTiled(const Workspace& workspace, const std::vector<WindowID>& tiled,
                      const Rect& screen, Collector& out) const;

    const WorkspaceManager& manager_;
    const std::map<WindowID, Size>& minimumSizes_;
    LayoutOptions options_;
};

} // namespace morvanta
