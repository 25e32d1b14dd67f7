// ControllerIpcTarget: the command interface's target in the running application. Actions run
// through the shortcut actions' own commands and the other commands call the tiling controller
// exactly as the keys, the tray and the command panel do, so each writes the same log line;
// the state is read from the controller's model, its published summaries and the windows.
#pragma once

#include "app/ipc/ipc_target.h"

#include <string>

namespace morvanta {

class AppSettings;
class ShortcutActions;
class TilingController;

class ControllerIpcTarget : public IpcTarget {
public:
    // All three outlive the target; `actions` may be null while global shortcuts are
    // unavailable, which leaves `run` without actions.
    ControllerIpcTarget(TilingController& controller, AppSettings& settings,
                        ShortcutActions* actions, std::string version);

    IpcState state() override;
    bool paused() override;
    std::vector<std::string> actionNames() override;
    Result runAction(const std::string& name) override;
    Result showWorkspace(int number) override;
    Result moveFocusedWindow(int number) override;
    Result setLayout(LayoutKind kind) override;
    Result setPaused(bool paused) override;
    Subscription watch(std::function<void()> changed) override;

private:
    bool exists(int number) const;
    IpcState::Workspace workspace(int number);

    TilingController& controller_;
    AppSettings& settings_;
    ShortcutActions* actions_;
    std::string version_;
};

} // namespace morvanta
