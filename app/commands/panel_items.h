// PanelItems: the rows of the command panel's two modes, built from the tiling controller's
// state at the moment the panel opens (counts, titles and shortcut texts are not refreshed
// while it is shown).
//
// Action mode: switch to and move to every workspace, the five layouts, then the fixed
// commands. Workspace picker: one row per workspace that some display owns, with the
// applications in it. Every row's command holds the controller weakly and does nothing once
// it is gone; commands that depend on state (pause, border) read it when they run.
#pragma once

#include "app/commands/app_directory.h"
#include "app/commands/panel_item.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvanta {

class AppSettings;
class TilingController;
struct DisplaySummary;

// What the application supplies to the panel.
struct PanelCallbacks {
    std::function<void()> showSettings;
    std::function<void()> showDiagnostics;
    // Ends the application the ordinary way; empty: QCoreApplication::quit().
    std::function<void()> quit;
    // The printed form of a shortcut name's current binding ("Alt+Shift+3"); "" when unbound.
    std::function<std::string(const std::string& name)> shortcutText;
};

class PanelItems {
public:
    // Everything given must outlive this object and the rows it builds (the controller may go
    // first: rows then do nothing).
    PanelItems(TilingController& controller, AppSettings& settings, PanelCallbacks callbacks,
               AppDirectory& apps);

    std::vector<PanelItem> actionItems() const;
    std::vector<PanelItem> workspaceItems() const;

    // "empty", "1 window", "n windows".
    static std::string windowCountText(int count);

private:
    std::function<void()> onController(std::function<void(TilingController&)> command) const;
    std::string shortcutText(const std::string& name) const;
    std::vector<PanelItem> fixedItems() const;
    PanelItem workspaceItem(int number, const DisplaySummary& summary, bool manyDisplays) const;
    // The running application of a process: its name and icon; none when it is gone.
    std::optional<AppDirectory::Entry> application(std::int32_t pid) const;

    TilingController& controller_;
    AppSettings& settings_;
    PanelCallbacks callbacks_;
    AppDirectory& apps_;
};

} // namespace morvanta
