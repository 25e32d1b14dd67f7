// morvanta: the application. Reads the command line, hands a second launch to the Morvanta
// already running on this display, and otherwise runs the application delegate under Qt's
// event loop until a quit, a signal or a relaunch ends it. The desktop it tiles is an X server
// or KDE Plasma's KWin, chosen by the session (DesktopChoice).
#include "app/desktop/kwin/kwin_desktop_backend.h"
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/diagnostics/xdg_folders.h"
#include "app/shell/application/app_delegate.h"
#include "app/shell/application/command_line.h"
#include "app/shell/application/desktop_choice.h"
#include "app/shell/application/exit_deadline.h"
#include "app/shell/application/window_rescue.h"
#include "app/shell/socket/ipc_service.h"
#include "app/shell/socket/msg_client.h"
#include "app/shell/welcome/onboarding_texts.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>

using namespace morvanta;

namespace {

constexpr std::chrono::seconds answerLimit{5};
// How long the rest of a quit may take once every window is back.
constexpr std::chrono::seconds quitLimit{3};

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string displayName() {
    return variable("DISPLAY");
}

// The name the single-instance socket is kept under: the X display, which a Plasma Wayland
// session has too (its Xwayland), else the Wayland display.
std::string sessionName() {
    const std::string display = displayName();
    return display.empty() ? variable("WAYLAND_DISPLAY") : display;
}

// The desktop Morvanta tiles, and a warning about the session when it cannot tile this one.
struct OpenedDesktop {
    std::unique_ptr<DesktopBackend> backend;
    KWinDesktopBackend* kwin = nullptr;
    std::string notice;
};

std::optional<OpenedDesktop> openKWin(const DesktopChoice& choice) {
    const auto state = XdgFolders::stateHome();
    if (!state) {
        std::cerr << "morvanta: no folder for Morvanta's state: set HOME or XDG_STATE_HOME.\n";
        return std::nullopt;
    }
    KWinDesktopOptions options;
    options.scriptPath = KWinDesktopBackend::installedScriptPath();
    options.stateFile = *state / "morvanta" / "kwin-parked.json";
    std::string error;
    auto kwin = KWinDesktopBackend::open(options, error);
    if (!kwin) {
        std::cerr << "morvanta: cannot reach KWin: " << error << "\n";
        if (!choice.named)
            std::cerr << "morvanta: " << OnboardingTexts::otherWaylandDesktop << "\n";
        return std::nullopt;
    }
    OpenedDesktop opened;
    opened.kwin = kwin.get();
    // A Wayland session without KWin on its bus is another desktop's; Morvanta keeps waiting
    // for KWin all the same (it may only be late), and says what it can tile.
    if (!kwin->kwinPresent() && !choice.named)
        opened.notice = OnboardingTexts::otherWaylandDesktop;
    opened.backend = std::move(kwin);
    return opened;
}

// The backend the environment asks for; none, with the reason on standard error, for a value of
// MORVANTA_BACKEND that names no backend.
std::optional<DesktopChoice> chooseDesktop() {
    auto choice = DesktopChoice::fromEnvironment();
    if (choice.error.empty())
        return choice;
    std::cerr << choice.error << "\n";
    return std::nullopt;
}

std::optional<OpenedDesktop> openDesktop(const DesktopChoice& choice, const std::string& display) {
    if (choice.backend == DesktopChoice::Backend::kwin)
        return openKWin(choice);
    auto desktop = X11DesktopBackend::open(display);
    if (!desktop) {
        std::cerr << "morvanta: cannot open the X display \"" << display
                  << "\". Morvanta needs an X11 session, or KDE Plasma's Wayland session.\n";
        return std::nullopt;
    }
    return OpenedDesktop{std::move(desktop), nullptr, {}};
}

int rescue() {
    const auto choice = chooseDesktop();
    if (!choice)
        return 2;
    if (const auto path = SingleInstance::socketPath(sessionName());
        path && SingleInstance::ask(*path, SingleInstance::pingRequest, answerLimit).reached) {
        std::cerr << "morvanta: Morvanta is running on this display; quit it and every window "
                     "it hid comes back.\n";
        return 1;
    }
    const auto desktop = openDesktop(*choice, displayName());
    if (!desktop)
        return 1;
    // On KWin the script must be running: without it no window can be reached, and the marks
    // stay in the state file for a later try.
    if (desktop->kwin && !desktop->kwin->live()) {
        for (const auto& line : desktop->kwin->earlyLines())
            std::cerr << "morvanta: " << line << "\n";
        std::cerr << "morvanta: KWin did not run Morvanta's script; no window was brought "
                     "back.\n";
        return 1;
    }
    DiagnosticsLog log;
    const int count = WindowRescue::run(desktop->backend->windowSystem(), log);
    if (count > 0)
        std::cout << log.lines().back().substr(log.lines().back().find(']') + 2) << "\n";
    std::cout << WindowRescue::summary(count) << "\n";
    return 0;
}

// Asks a Morvanta running on this display to open its window, or takes the display's socket
// for this one. Answers an exit status when this launch ends here.
std::optional<int> reachRunning(const std::optional<std::filesystem::path>& path,
                                SingleInstance& instance) {
    if (!path)
        return std::nullopt;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto answer =
            SingleInstance::ask(*path, SingleInstance::openSettingsRequest, answerLimit);
        if (answer.reply) {
            std::cout << "Morvanta already runs on this display; its window is open.\n";
            return 0;
        }
        if (answer.reached) {
            std::cerr << "morvanta: the Morvanta running on this display did not answer.\n";
            return 1;
        }
        // Nobody answered: take the socket, unless another launch took it just now.
        if (instance.claim(*path) != SingleInstance::Claim::taken)
            return std::nullopt;
    }
    return std::nullopt;
}

// The modes that end without starting the application; none for a run or the self-test.
std::optional<int> runCommandLineMode(const CommandLine& line) {
    switch (line.mode) {
    case CommandLine::Mode::help:
        std::cout << CommandLine::helpText();
        return 0;
    case CommandLine::Mode::version:
        std::cout << "morvanta " << UpdaterConfiguration::fromBuild().appVersion << "\n";
        return 0;
    case CommandLine::Mode::invalid:
        std::cerr << line.error << "\n";
        return 2;
    case CommandLine::Mode::rescue:
        return rescue();
    case CommandLine::Mode::msg:
        return MsgClient(SingleInstance::socketPath(sessionName()), std::cout, std::cerr)
            .run(line.msgArguments);
    case CommandLine::Mode::run:
    case CommandLine::Mode::selfTest:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    const auto line = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    // Qt connects to the display "-display" names: Morvanta, and what it starts, use it too.
    if (line.display)
        setenv("DISPLAY", line.display->c_str(), 1);
    if (const auto ended = runCommandLineMode(line))
        return *ended;

    const bool selfTest = line.mode == CommandLine::Mode::selfTest;
    const auto choice = chooseDesktop();
    if (!choice)
        return 2;
    auto instance = std::make_unique<SingleInstance>(IpcService::limits());
    // The self-test is a run of its own, beside whatever else runs: it takes no socket.
    if (!selfTest)
        if (const auto ended = reachRunning(SingleInstance::socketPath(sessionName()), *instance))
            return *ended;
    auto desktop = openDesktop(*choice, displayName());
    if (!desktop)
        return 1;

    // Declared before the application so that it also bounds the application's own teardown.
    std::optional<ExitDeadline> exitDeadline;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Morvanta");
    QApplication::setDesktopFileName("morvanta");
    // Morvanta lives on without windows: closing the welcome guide must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    Relauncher relauncher([] { QCoreApplication::quit(); });
    int status = 0;
    {
        AppDelegate delegate(*desktop->backend, *instance, relauncher, selfTest);
        delegate.setSessionNotice(desktop->notice);
        // The self-test's verdicts are for the person or script that started it.
        Subscription printVerdicts;
        if (selfTest)
            printVerdicts = delegate.log().addObserver([&delegate] {
                if (!delegate.log().lines().empty())
                    std::cout << delegate.log().lines().back() << std::endl;
            });
        delegate.applicationDidFinishLaunching();
        status = QApplication::exec();
        delegate.applicationWillTerminate();
        exitDeadline.emplace(quitLimit, status);
    }
    // The socket closes before a relaunch starts, so the new Morvanta finds the display free; so
    // does the desktop (on KWin the bridge's bus name, and the script it unloads by name).
    instance.reset();
    desktop.reset();
    relauncher.startIfRequested();
    return status;
}
