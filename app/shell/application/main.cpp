// morvanta: the application. Reads the command line, hands a second launch to the Morvanta
// already running on this display, and otherwise runs the application delegate under Qt's
// event loop until a quit, a signal or a relaunch ends it.
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/shell/application/app_delegate.h"
#include "app/shell/application/command_line.h"
#include "app/shell/application/exit_deadline.h"
#include "app/shell/application/window_rescue.h"
#include "app/shell/socket/ipc_service.h"
#include "app/shell/socket/msg_client.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>

using namespace morvanta;

namespace {

constexpr std::chrono::seconds answerLimit{5};
// How long the rest of a quit may take once every window is back.
constexpr std::chrono::seconds quitLimit{3};

std::string displayName() {
    const char* display = std::getenv("DISPLAY");
    return display ? display : "";
}

// The desktop Morvanta tiles. Another desktop backend is chosen here, by the session it runs in.
std::unique_ptr<DesktopBackend> openDesktop(const std::string& display) {
    auto desktop = X11DesktopBackend::open(display);
    if (!desktop)
        std::cerr << "morvanta: cannot open the X display \"" << display
                  << "\". Morvanta needs an X11 session.\n";
    return desktop;
}

int rescue(const std::string& display) {
    if (const auto path = SingleInstance::socketPath(display);
        path && SingleInstance::ask(*path, SingleInstance::pingRequest, answerLimit).reached) {
        std::cerr << "morvanta: Morvanta is running on this display; quit it and every window "
                     "it hid comes back.\n";
        return 1;
    }
    const auto desktop = openDesktop(display);
    if (!desktop)
        return 1;
    DiagnosticsLog log;
    const int count = WindowRescue::run(desktop->windowSystem(), log);
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
        return rescue(displayName());
    case CommandLine::Mode::msg:
        return MsgClient(SingleInstance::socketPath(displayName()), std::cout, std::cerr)
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
    const std::string display = displayName();
    auto instance = std::make_unique<SingleInstance>(IpcService::limits());
    // The self-test is a run of its own, beside whatever else runs: it takes no socket.
    if (!selfTest)
        if (const auto ended = reachRunning(SingleInstance::socketPath(display), *instance))
            return *ended;
    const auto desktop = openDesktop(display);
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
        AppDelegate delegate(*desktop, *instance, relauncher, selfTest);
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
    // The socket closes before a relaunch starts, so the new Morvanta finds the display free.
    instance.reset();
    relauncher.startIfRequested();
    return status;
}
