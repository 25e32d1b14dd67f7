// ControllerState: everything the tiling controller knows, shared by the classes that each do
// one of its jobs (refresh, apply, drag end, commands, summaries, border). The collaborators it
// was given, the published values the user interface watches, the model, the registry, the
// screens, the parker, what it remembers of frames and of the focus, and the display last
// worked on.
#pragma once

#include "app/controller/display_summary.h"
#include "app/controller/focus_cache.h"
#include "app/controller/frame_memory.h"
#include "app/controller/published.h"
#include "app/controller/run_loop.h"
#include "app/controller/screen_snapshot.h"
#include "app/controller/window_registry.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/app_settings.h"
#include "ax/screen_geometry.h"
#include "ax/window_parker.h"
#include "ax/window_system.h"
#include "core/workspace_manager.h"

#include <optional>
#include <vector>

namespace morvanta {

struct ControllerState {
    ControllerState(WindowSystem& system, RunLoop& loop, DiagnosticsLog& log, AppSettings& settings)
        : system(system), loop(loop), log(log), settings(settings),
          manager(settings.defaultLayout()), screenSnapshot(system.screenSource()),
          parker(screenSnapshot, system.windowAccess()), frames(system.windowAccess()),
          focus(system.windowList(), screenSnapshot, parker, manager, registry) {}
    ControllerState(const ControllerState&) = delete;
    ControllerState& operator=(const ControllerState&) = delete;

    WindowSystem& system;
    RunLoop& loop;
    DiagnosticsLog& log;
    AppSettings& settings;

    Published<bool> isTrusted;
    Published<bool> isRunning;
    Published<bool> isPaused;
    Published<std::vector<DisplaySummary>> summaries;
    Published<int> currentNumber{1};
    Published<bool> seesWindows;
    // The model's focused window, as of the last publication.
    Published<std::optional<WindowID>> focused;

    WorkspaceManager manager;
    WindowRegistry registry;
    // Every screen read of the controller and its parker goes through it (see ScreenSnapshot).
    ScreenSnapshot screenSnapshot;
    WindowParker parker;
    FrameMemory frames;
    FocusCache focus;
    // The display last worked on: the current display while the model's focus names none.
    std::optional<DisplayID> lastDisplay;
};

} // namespace morvanta
