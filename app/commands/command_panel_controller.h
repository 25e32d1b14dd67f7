// CommandPanelController: opens and closes the command panel and runs what is chosen in it.
//
// show(actions) lists every command; show(workspaces) is the workspace picker. Showing while
// the panel is visible closes it instead (so a shortcut toggles it). The panel opens on the
// screen under the pointer, remembers the window that had the keyboard focus, and gives the
// focus back to it when it closes. A chosen row's command runs 0.15 s after the panel hides,
// once the focus is back where the command expects it.
//
// The application owns one; it supplies the settings and diagnostics windows (and quitting)
// through PanelCallbacks. Main thread only.
//
// Where Qt cannot place its windows (Wayland), the application gives it the desktop's
// OwnWindowPlacer, which puts the panel where Qt would have.
#pragma once

#include "app/commands/app_directory.h"
#include "app/commands/command_panel_view.h"
#include "app/commands/panel_items.h"
#include "ax/ax_window.h"
#include "core/weak_self.h"

#include <QPointer>
#include <chrono>
#include <memory>
#include <optional>

namespace morvanta {

class AppSettings;
class KeyPanel;
class OwnWindowPlacer;
class RunLoop;
class TilingController;
class WindowList;

class CommandPanelController {
public:
    enum class Mode { actions = 0, workspaces = 1 };

    static constexpr std::chrono::milliseconds runDelay{150};
    static constexpr const char* actionsPlaceholder = "Type an action, e.g. “move to 3”";
    static constexpr const char* workspacesPlaceholder = "Pick a workspace (1–9)";

    // Everything given must outlive this object. `windows` answers the focused window.
    CommandPanelController(TilingController& controller, AppSettings& settings, WindowList& windows,
                           RunLoop& loop, PanelCallbacks callbacks);
    ~CommandPanelController();
    CommandPanelController(const CommandPanelController&) = delete;
    CommandPanelController& operator=(const CommandPanelController&) = delete;

    // Asked to place the panel each time it opens; null (the default) where Qt places it. It must
    // outlive this object, or be unset first.
    void setPlacer(OwnWindowPlacer* placer) { placer_ = placer; }

    // Opens the panel in the mode, or closes it (focus back) when it is already visible.
    void show(Mode mode);
    // Closes the panel; with `refocus`, the window that had the focus gets it back.
    void hide(bool refocus);
    // Closes the panel with the focus back, and runs the row's command `runDelay` later.
    void runItem(const PanelItem& item);

    bool isShown() const;
    // The panel window and its content while shown, else null.
    KeyPanel* panel() const { return panel_; }
    CommandPanelView* view() const { return view_; }
    const std::optional<AXWindow>& previousWindow() const { return previousWindow_; }

    // The rows of a mode, from the controller's state now.
    std::vector<PanelItem> items(Mode mode) const;

private:
    void forgetPanel();
    void refocus();

    TilingController& controller_;
    WindowList& windows_;
    RunLoop& loop_;
    AppDirectory apps_;
    PanelItems builder_;
    QPointer<KeyPanel> panel_;
    QPointer<CommandPanelView> view_;
    std::optional<AXWindow> previousWindow_;
    OwnWindowPlacer* placer_ = nullptr;
    // The view's callbacks hold this weakly; it ends first when the controller goes.
    WeakSelf<CommandPanelController> self_;
};

} // namespace morvanta
