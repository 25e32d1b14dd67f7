// AppDelegate: the running application. It owns the long-lived services (log, settings,
// tiling controller, crash reports, updater, shortcuts, tray item, command panel, auxiliary
// windows), runs the start-up sequence, turns SIGTERM and SIGINT into the ordinary quit, brings
// every parked window back when the program ends, and answers a second launch by opening its
// settings window and `morvanta msg` through the command interface. Started for the self-test, it
// runs only that, over its own wiped settings.
//
// main() makes it after QApplication, calls applicationDidFinishLaunching(), runs the event
// loop, then calls applicationWillTerminate(). Main thread only. Callbacks it hands out hold it
// weakly and do nothing once it is gone.
#pragma once

// UpdateDialogs and CommandPanelController hand out a QPointer inline, which needs the complete
// types.
#include "app/commands/command_panel_controller.h"
#include "app/commands/key_panel.h"
#include "app/commands/settings_transfer.h"
#include "app/commands/settings_transfer_dialogs.h"
#include "app/commands/support_mail.h"
#include "app/controller/tiling_controller.h"
#include "app/desktop/desktop_backend.h"
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/ipc/controller_ipc_target.h"
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "app/shell/application/app_shortcuts.h"
#include "app/shell/application/app_windows.h"
#include "app/shell/application/signal_quit.h"
#include "app/shell/border_window/border_window.h"
#include "app/shell/run_loop/qt_run_loop.h"
#include "app/shell/selftest/self_test_session.h"
#include "app/shell/socket/ipc_service.h"
#include "app/shell/socket/single_instance.h"
#include "app/shell/tray/popup_key_router.h"
#include "app/shell/tray/tray_item.h"
#include "app/shell/updates/update_dialogs.h"
#include "app/shell/updates/updater.h"
#include "app/shell/welcome/relauncher.h"
#include "core/weak_self.h"

#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

namespace morvanta {

class AppDelegate {
public:
    static constexpr const char* settingsIdentifier = "settings";
    static constexpr const char* onboardingIdentifier = "onboarding";
    static constexpr const char* diagnosticsIdentifier = "diagnostics";
    static constexpr const char* settingsTitle = "Morvanta Settings";
    static constexpr const char* onboardingTitle = "Welcome to Morvanta";
    static constexpr const char* noTrayText =
        "No system tray is available: Morvanta is reached through its shortcuts, the command "
        "panel and by starting it again.";
    static constexpr const char* diagnosticsTitle = "Morvanta Diagnostics";

    // `desktop` is the open desktop; `instance` the claimed single-instance socket (may be
    // unclaimed where the runtime folder is unusable); `relauncher` starts Morvanta again once
    // everything here has ended. All three outlive the delegate. `isSelfTest`: the process
    // arguments held "--self-test".
    AppDelegate(DesktopBackend& desktop, SingleInstance& instance, Relauncher& relauncher,
                bool isSelfTest);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // "Morvanta <version> launched."
    static std::string launchLine();

    // A warning about the session (a desktop Morvanta cannot tile), logged at launch and shown
    // by the welcome guide while Morvanta waits. Set before applicationDidFinishLaunching.
    void setSessionNotice(std::string notice) { sessionNotice_ = std::move(notice); }

    void applicationDidFinishLaunching();
    // A second launch: brings the settings window forward.
    void applicationShouldHandleReopen();
    // Stops the controller, which brings every parked window back.
    void applicationWillTerminate();

    void openSettings();
    void openOnboarding();
    void openDiagnostics();
    // Opens the command panel with every action (0) or as the workspace picker (1).
    void showPanel(CommandPanelController::Mode mode);

    DiagnosticsLog& log() { return log_; }
    TilingController& controller();
    AppSettings& settings();

private:
    // Ends every window, the command panel and the tray item; safe to call more than once.
    void closeInterface();
    void routeSignals();
    void runSelfTest();
    void installShortcuts();
    // Global shortcuts keep working while a popup of Morvanta's own has the keyboard.
    void routePopupKeys();
    void showTray();
    TrayActions trayActions();
    PanelCallbacks panelCallbacks();
    std::unique_ptr<QWidget> makeSettings();
    void watchTurns();
    void serveSecondLaunches();
    bool needsOnboarding();
    std::unique_ptr<QWidget> makeOnboarding();
    std::unique_ptr<QWidget> makeDiagnostics();

    DesktopBackend& desktop_;
    std::string sessionNotice_;
    SingleInstance& instance_;
    QtRunLoop loop_;
    DiagnosticsLog log_;
    bool isSelfTest_;
    std::unique_ptr<PreferencesDomain> domain_;
    std::unique_ptr<AppSettings> settings_;
    // The focus border's ring window where the desktop places it (KWin); it outlives the
    // controller, whose border overlay draws in it.
    std::unique_ptr<BorderWindow> borderWindow_;
    std::unique_ptr<TilingController> controller_;
    CrashReports crashReports_;
    UpdateDialogs updateDialogs_;
    Updater updater_;
    std::unique_ptr<AppShortcuts> shortcuts_;
    Subscription refusedShortcuts_; // a combination another program holds is logged once
    std::unique_ptr<PopupKeyRouter> popupKeys_;
    std::unique_ptr<CommandPanelController> panels_;
    std::unique_ptr<SettingsTransfer> transfer_;
    std::unique_ptr<SettingsTransferDialogs> transferDialogs_;
    SupportMail supportMail_;
    std::unique_ptr<TrayItem> tray_;
    std::unique_ptr<SelfTestSession> selfTest_;
    AppWindows windows_;
    std::unique_ptr<SignalQuit> signalSources_;
    // The command interface: served on the single-instance socket, which stops serving before
    // either goes.
    std::unique_ptr<ControllerIpcTarget> ipcTarget_;
    std::unique_ptr<IpcService> ipcService_;
    Relauncher& relauncher_;
    WeakSelf<AppDelegate> self_;
};

} // namespace morvanta
