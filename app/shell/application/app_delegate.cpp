#include "app/shell/application/app_delegate.h"

#include "app/settings/memory_preferences_domain.h"
#include "app/shell/settings_window/settings_window.h"
#include "app/shell/welcome/onboarding_view.h"
#include "app/shell/widgets/diagnostics_view.h"
#include "core/workspace_numbers.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QSystemTrayIcon>

namespace morvanta {

namespace {

constexpr QSize settingsSize{820, 620};
constexpr QSize diagnosticsSize{720, 420};

// The user's settings, or, for the self-test, a domain in memory that nothing reads: the
// self-test keeps its own domain and never opens the user's file (opening it may move a damaged
// file aside).
std::unique_ptr<PreferencesDomain> userDomain(bool isSelfTest, DiagnosticsLog& log) {
    if (isSelfTest)
        return std::make_unique<MemoryPreferencesDomain>();
    return std::make_unique<FilePreferencesDomain>(
        std::string(FilePreferencesDomain::standardDomainName), &log);
}

} // namespace

AppDelegate::AppDelegate(DesktopBackend& desktop, SingleInstance& instance, Relauncher& relauncher,
                         bool isSelfTest)
    : desktop_(desktop), instance_(instance), isSelfTest_(isSelfTest),
      domain_(userDomain(isSelfTest, log_)), updateDialogs_(log_),
      updater_(UpdaterConfiguration::fromBuild(), *domain_, log_, updateDialogs_),
      relauncher_(relauncher), self_(this) {}

AppDelegate::~AppDelegate() {
    // Callbacks handed out go quiet first; then everything the user sees, then the services
    // those showed, the controller last.
    self_.end();
    // The desktop outlives the log its lines go to.
    desktop_.setLog(nullptr);
    // The socket outlives the delegate (it closes just before a relaunch) but not its run loop.
    instance_.stopServing();
    closeInterface();
    popupKeys_.reset();
    transfer_.reset();
    shortcuts_.reset();
    controller_.reset();
    desktop_.setBorderSurface(nullptr);
    borderWindow_.reset();
    selfTest_.reset();
}

void AppDelegate::closeInterface() {
    windows_.closeAll();
    panels_.reset();
    transferDialogs_.reset();
    tray_.reset();
}

std::string AppDelegate::launchLine() {
    const std::string version = UpdaterConfiguration::fromBuild().appVersion;
    return "Morvanta " + (version.empty() ? std::string("?") : version) + " launched.";
}

AppSettings& AppDelegate::settings() {
    if (!settings_)
        settings_ = std::make_unique<AppSettings>(*domain_);
    return *settings_;
}

TilingController& AppDelegate::controller() {
    if (controller_)
        return *controller_;
    if (desktop_.needsBorderSurface()) {
        borderWindow_ = std::make_unique<BorderWindow>();
        desktop_.setBorderSurface(borderWindow_.get());
    }
    controller_ = std::make_unique<TilingController>(desktop_.windowSystem(), loop_, log_,
                                                     settings(), desktop_.controllerDevices(loop_));
    desktop_.deliverEvents(loop_);
    controller_->commands().activateSelf = [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->windowType() == Qt::Window) {
                window->activateWindow();
                return true;
            }
        return false;
    };
    return *controller_;
}

void AppDelegate::applicationDidFinishLaunching() {
    routeSignals();
    log_.append(launchLine());
    desktop_.setLog([this](const std::string& line) { log_.append(line); });
    if (!sessionNotice_.empty())
        log_.append("⚠️ " + sessionNotice_);
    if (isSelfTest_) {
        runSelfTest();
        return;
    }
    crashReports_.setLog(&log_);
    crashReports_.start();
    watchTurns();
    updater_.start();
    controller().start();
    installShortcuts();
    serveSecondLaunches();
    showTray();
    if (needsOnboarding())
        openOnboarding();
}

void AppDelegate::runSelfTest() {
    // The session wipes the self-test's own preferences domain before it builds anything; the
    // user's settings are never opened for writing. It starts once the event loop runs.
    selfTest_ = std::make_unique<SelfTestSession>(desktop_, loop_, log_);
    loop_.after(std::chrono::milliseconds(0),
                [this] { selfTest_->start([](int status) { QCoreApplication::exit(status); }); });
}

void AppDelegate::installShortcuts() {
    shortcuts_ = std::make_unique<AppShortcuts>(desktop_.makeHotKeys(), desktop_.windowSystem(),
                                                *domain_, settings(), loop_);
    // Without key grabs the actions are still attached: `morvanta msg run` and the command
    // panel reach them by name. Only the grabs' refusals would say nothing useful then.
    if (shortcuts_->ok())
        refusedShortcuts_ =
            shortcuts_->reportRefusals([this](const std::string& text) { log_.append(text); });
    else
        log_.append("⚠️ Global shortcuts are unavailable: " + shortcuts_->error());
    const auto weak = self_.ref();
    const auto panel = [weak](CommandPanelController::Mode mode) {
        return [weak, mode] {
            if (auto* self = weak.get())
                self->showPanel(mode);
        };
    };
    controller_->setLetterShortcuts(&shortcuts_->actions());
    shortcuts_->actions().installShortcuts(*controller_,
                                           panel(CommandPanelController::Mode::actions),
                                           panel(CommandPanelController::Mode::workspaces));
    shortcuts_->actions().setShortcutsEnabled(settings().shortcutsEnabled());
    routePopupKeys();
}

void AppDelegate::routePopupKeys() {
    PopupKeyRoutes routes;
    auto& center = shortcuts_->center();
    auto& hotKeys = shortcuts_->hotKeys();
    routes.menuOpenChanged = [&center](bool open) { center.setMenuOpen(open); };
    routes.translate = [&hotKeys](quint32 keyCode, quint32 state) {
        return hotKeys.shortcutForKeyEvent(keyCode, static_cast<std::uint16_t>(state));
    };
    routes.rawKey = [&center](int keyCode, int modifiers, bool keyDown) {
        return center.handleRawKeyEvent(keyCode, modifiers, keyDown);
    };
    popupKeys_ = std::make_unique<PopupKeyRouter>(std::move(routes));
}

void AppDelegate::showTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        log_.append(noTrayText);
        return;
    }
    tray_ = std::make_unique<TrayItem>(controller(), settings(), updater_, trayActions());
    tray_->show();
}

TrayActions AppDelegate::trayActions() {
    TrayActions actions;
    actions.openSettings = self_.bind(&AppDelegate::openSettings);
    actions.openDiagnostics = self_.bind(&AppDelegate::openDiagnostics);
    actions.contactSupport = [this] { supportMail_.compose(log_); };
    actions.quit = [] { QCoreApplication::quit(); };
    return actions;
}

PanelCallbacks AppDelegate::panelCallbacks() {
    PanelCallbacks callbacks;
    callbacks.showSettings = self_.bind(&AppDelegate::openSettings);
    callbacks.showDiagnostics = self_.bind(&AppDelegate::openDiagnostics);
    callbacks.quit = [] { QCoreApplication::quit(); };
    const auto weak = self_.ref();
    callbacks.shortcutText = [weak](const std::string& name) {
        auto* self = weak.get();
        return self && self->shortcuts_ ? self->shortcuts_->printed(name) : std::string();
    };
    return callbacks;
}

void AppDelegate::showPanel(CommandPanelController::Mode mode) {
    if (!panels_)
        panels_ = std::make_unique<CommandPanelController>(controller(), settings(),
                                                           desktop_.windowSystem().windowList(),
                                                           loop_, panelCallbacks());
    panels_->setPlacer(desktop_.ownWindowPlacer());
    panels_->show(mode);
}

void AppDelegate::routeSignals() {
    signalSources_ = std::make_unique<SignalQuit>(loop_, [this](int signal) {
        log_.append(std::string("Received ") + SignalQuit::name(signal) + "; quitting.");
        QCoreApplication::quit();
    });
}

void AppDelegate::watchTurns() {
    // The hang watchdog measures each turn of the main thread: from waking up to blocking again.
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, dispatcher,
                     [this] { crashReports_.turnStarted(); });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher,
                     [this] { crashReports_.turnEnded(); });
}

void AppDelegate::serveSecondLaunches() {
    ipcTarget_ = std::make_unique<ControllerIpcTarget>(
        controller(), settings(), shortcuts_ ? &shortcuts_->actions() : nullptr,
        UpdaterConfiguration::fromBuild().appVersion);
    ipcService_ = std::make_unique<IpcService>(
        *ipcTarget_, loop_, self_.bind(&AppDelegate::applicationShouldHandleReopen));
    instance_.serve(loop_, [this](SocketLineClient& client, const std::string& request) {
        return ipcService_->answer(client, request);
    });
}

bool AppDelegate::needsOnboarding() {
    return !(settings().onboardingCompleted() && controller().isTrusted().get());
}

void AppDelegate::applicationShouldHandleReopen() {
    log_.append("Morvanta was opened again.");
    openSettings();
}

void AppDelegate::applicationWillTerminate() {
    crashReports_.stop();
    // The windows come back first; then the interface ends (its subscriptions make the order
    // safe either way), so nothing it holds runs after the quit.
    if (controller_ && controller_->isRunning().get())
        controller_->stop();
    closeInterface();
}

void AppDelegate::openSettings() {
    windows_.open(
        settingsIdentifier, QString::fromUtf8(settingsTitle), [this] { return makeSettings(); },
        settingsSize, AppWindows::Reopen::freshContent);
}

void AppDelegate::openOnboarding() {
    windows_.open(
        onboardingIdentifier, QString::fromUtf8(onboardingTitle),
        [this] { return makeOnboarding(); }, OnboardingView::contentSize);
}

void AppDelegate::openDiagnostics() {
    windows_.open(
        diagnosticsIdentifier, QString::fromUtf8(diagnosticsTitle),
        [this] { return makeDiagnostics(); }, diagnosticsSize);
}

std::unique_ptr<QWidget> AppDelegate::makeSettings() {
    if (!shortcuts_)
        shortcuts_ = std::make_unique<AppShortcuts>(desktop_.makeHotKeys(), desktop_.windowSystem(),
                                                    *domain_, settings(), loop_);
    if (!transfer_) {
        transfer_ = std::make_unique<SettingsTransfer>(settings(), controller(),
                                                       shortcuts_->actions(), log_);
        transferDialogs_ = std::make_unique<SettingsTransferDialogs>(*transfer_);
    }
    SettingsWindowServices services(controller(), settings(), shortcuts_->actions());
    services.updater = &updater_;
    auto& hotKeys = shortcuts_->hotKeys();
    services.recorder.shortcutText = [&hotKeys](const Shortcut& s) {
        return hotKeys.shortcutText(s);
    };
    services.recorder.shortcutForKeyEvent = [&hotKeys](quint32 scanCode, quint32 modifiers) {
        return hotKeys.shortcutForKeyEvent(scanCode, static_cast<std::uint16_t>(modifiers));
    };
    services.recorder.isSystemShortcut = [&hotKeys](const Shortcut& s) {
        return hotKeys.ok() && hotKeys.isGrabbedByAnotherClient(s);
    };
    services.showOnboarding = self_.bind(&AppDelegate::openOnboarding);
    services.showDiagnostics = self_.bind(&AppDelegate::openDiagnostics);
    const auto weak = self_.ref();
    services.exportSettings = [weak] {
        if (auto* self = weak.get())
            self->transferDialogs_->exportSettings(self->windows_.window(settingsIdentifier));
    };
    services.importSettings = [weak] {
        if (auto* self = weak.get())
            self->transferDialogs_->importSettings(self->windows_.window(settingsIdentifier));
    };
    return std::make_unique<SettingsWindow>(std::move(services));
}

std::unique_ptr<QWidget> AppDelegate::makeOnboarding() {
    OnboardingActions actions;
    const auto weak = self_.ref();
    actions.finish = [weak] {
        if (auto* self = weak.get())
            self->windows_.close(onboardingIdentifier);
    };
    actions.relaunch = [this] { return relauncher_.request(); };
    actions.openSessionHelp = [this] { desktop_.windowSystem().accessibility().openSettings(); };
    actions.shortcutText = [weak](const std::string& name) {
        auto* self = weak.get();
        return self && self->shortcuts_ ? self->shortcuts_->printed(name) : std::string();
    };
    actions.anotherWindowManagerRunning = [this] {
        return desktop_.tilingWindowManager().has_value();
    };
    actions.sessionHint = sessionNotice_;
    return std::make_unique<OnboardingView>(controller(), settings(), std::move(actions));
}

std::unique_ptr<QWidget> AppDelegate::makeDiagnostics() {
    auto view = std::make_unique<DiagnosticsView>(log_);
    auto& tiling = controller();
    view->setRequestPermission([weak = tiling.lifetime()] {
        if (auto* self = weak.get())
            self->requestPermission();
    });
    auto* shown = view.get();
    const auto update = [shown, &tiling] {
        DiagnosticsStatus status;
        status.isTrusted = tiling.isTrusted().get();
        status.isPaused = tiling.isPaused().get();
        status.currentLabel = workspaceLabel(tiling.currentNumber().get());
        shown->setStatus(status);
    };
    update();
    std::vector<Subscription> subscriptions;
    subscriptions.push_back(tiling.isTrusted().addObserver([update](bool) { update(); }));
    subscriptions.push_back(tiling.isPaused().addObserver([update](bool) { update(); }));
    subscriptions.push_back(tiling.currentNumber().addObserver([update](int) { update(); }));
    view->keepSubscriptions(std::move(subscriptions));
    return view;
}

} // namespace morvanta
