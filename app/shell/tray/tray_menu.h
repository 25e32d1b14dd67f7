// TrayMenu: the tray item's menu. Per display (under its name when there are two or more) the
// workspaces it owns with their window counts and the "Layout" choices, then moving the focused
// window, pausing, the session notice when Morvanta cannot control the session, and the
// commands that lead to the settings, updates, diagnostics, support mail and quitting.
//
// It follows the controller's published values and the workspace names: every change rebuilds
// the menu on the next turn of the event loop (never inside the action that caused it, whose
// object the rebuild deletes). While it is open the global shortcuts keep working through the
// application's PopupKeyRouter, as for every popup. Windows are opened through the callbacks
// the application supplies.
#pragma once

#include "app/controller/tiling_controller.h"
#include "app/settings/app_settings.h"
#include "app/shell/updates/updater.h"
#include "core/subscription.h"

#include <QMenu>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace morvanta {

struct TrayActions {
    std::function<void()> openSettings;
    std::function<void()> openDiagnostics;
    std::function<void()> contactSupport;
    std::function<void()> quit;
};

class TrayMenu : public QObject {
public:
    // The Linux texts of the session notice; docs/platform-texts.md lists them.
    static constexpr const char* permissionText = "Morvanta needs an X11 session";
    static constexpr const char* permissionCommand = "How to Fix…";

    TrayMenu(TilingController& controller, AppSettings& settings, Updater& updater,
             TrayActions actions);
    ~TrayMenu() override;

    QMenu& menu() { return *menu_; }
    // Rebuilds the menu now from the current state.
    void rebuild();

    // "Workspace 4  ·  1 window", "2 · Mail  ·  empty".
    static std::string entryText(const std::string& displayName, int windowCount);

private:
    void scheduleRebuild();
    void addDisplay(const DisplaySummary& summary, bool withHeading);
    void addMoveMenu();
    void addPermissionBlock();
    void addCommands();

    TilingController& controller_;
    AppSettings& settings_;
    Updater& updater_;
    TrayActions actions_;
    std::unique_ptr<QMenu> menu_;
    bool rebuildPending_ = false;
    std::vector<Subscription> subscriptions_;
};

} // namespace morvanta
