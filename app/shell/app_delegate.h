// AppDelegate: the running application. It owns the long-lived services (log, settings,
// tiling controller, crash reports, updater, shortcuts, auxiliary windows), runs the start-up
// sequence, turns SIGTERM and SIGINT into the ordinary quit, brings every parked window back
// when the program ends, and answers a second launch by opening its settings window.
//
// main() makes it after QApplication, calls applicationDidFinishLaunching(), runs the event
// loop, then calls applicationWillTerminate(). Main thread only. Callbacks it hands out hold it
// weakly and do nothing once it is gone.
#pragma once

#include "app/controller/tiling_controller.h"
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "app/shell/app_shortcuts.h"
#include "app/shell/app_windows.h"
#include "app/shell/qt_run_loop.h"
#include "app/shell/relauncher.h"
#include "app/shell/signal_quit.h"
#include "app/shell/single_instance.h"
#include "app/shell/updates/update_dialogs.h"
#include "app/shell/updates/updater.h"
#include "ax/x11/x11_window_system.h"

// UpdateDialogs hands out its dialog inline, which needs the complete type.
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

namespace morvanta {

class AppDelegate {
public:
    static constexpr const char* onboardingIdentifier = "onboarding";
    static constexpr const char* diagnosticsIdentifier = "diagnostics";
    static constexpr const char* onboardingTitle = "Welcome to Morvanta";
    static constexpr const char* diagnosticsTitle = "Morvanta Diagnostics";

    // `system` is the open display; `instance` the claimed single-instance socket (may be
    // unclaimed where the runtime folder is unusable); `relauncher` starts Morvanta again once
    // everything here has ended. All three outlive the delegate.
    AppDelegate(X11WindowSystem& system, std::string display, SingleInstance& instance,
                Relauncher& relauncher);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // "Morvanta <version> launched."
    static std::string launchLine();

    void applicationDidFinishLaunching();
    // A second launch: brings the settings window forward.
    void applicationShouldHandleReopen();
    // Stops the controller, which brings every parked window back.
    void applicationWillTerminate();

    void openOnboarding();
    void openDiagnostics();

    DiagnosticsLog& log() { return log_; }
    TilingController& controller();
    AppSettings& settings();

private:
    void routeSignals();
    void watchTurns();
    void serveSecondLaunches();
    bool needsOnboarding();
    std::unique_ptr<QWidget> makeOnboarding();
    std::unique_ptr<QWidget> makeDiagnostics();
    // `action` run on this delegate while it exists.
    std::function<void()> weakly(void (AppDelegate::*action)());

    X11WindowSystem& system_;
    std::string display_;
    SingleInstance& instance_;
    QtRunLoop loop_;
    DiagnosticsLog log_;
    FilePreferencesDomain domain_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<TilingController> controller_;
    CrashReports crashReports_;
    UpdateDialogs updateDialogs_;
    Updater updater_;
    std::unique_ptr<AppShortcuts> shortcuts_;
    AppWindows windows_;
    std::unique_ptr<SignalQuit> signalSources_;
    Relauncher& relauncher_;
    std::shared_ptr<AppDelegate*> self_;
};

} // namespace morvanta
