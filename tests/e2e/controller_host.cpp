// morvanta-controller-host: the tiling controller on an X display, run by Qt's event loop the way
// the application runs it, and driven through its commands one line at a time on stdin. Each
// command answers one line on stdout once it has been carried out. Log lines go to stderr.
//
//   start | stop | switch N | move N | layout columns|rows|mainStack|grid|monocle | float
//   pause on|off | parked (answers "parked N") | focused (answers "focused ID" or "focused none")
//   logged TEXT (answers "yes" or "no") | quit
#include "app/controller/tiling_controller.h"
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/run_loop/qt_run_loop.h"
#include "ax/x11/x11_window_system.h"

#include <QCoreApplication>
#include <algorithm>
#include <iostream>
#include <sstream>
#include <unistd.h>

using namespace morvanta;

namespace {

struct Host {
    WindowSystem& system;
    DiagnosticsLog& log;
    TilingController& controller;

    std::string handle(const std::string& line) {
        std::istringstream in(line);
        std::string command, argument;
        in >> command >> argument;
        if (command == "start")
            controller.start();
        else if (command == "stop")
            controller.stop();
        else if (command == "switch")
            controller.commands().switchToWorkspace(std::stoi(argument));
        else if (command == "move")
            controller.commands().moveFocusedWindow(std::stoi(argument));
        else if (command == "layout") {
            const auto kind = layoutKindFromRaw(argument);
            if (!kind)
                return "error unknown layout";
            controller.commands().setLayout(*kind);
        } else if (command == "float")
            controller.commands().toggleFloat();
        else if (command == "pause")
            controller.commands().setPaused(argument == "on");
        else if (command == "parked")
            return "parked " + std::to_string(controller.parker().count());
        else if (command == "focused") {
            const auto w = system.windowList().focused();
            return "focused " + (w ? std::to_string(w->id()) : std::string("none"));
        } else if (command == "logged") {
            const std::string text = line.substr(line.find(' ') + 1);
            const bool found = std::ranges::any_of(log.lines(), [&](const std::string& l) {
                return l.find(text) != std::string::npos;
            });
            return found ? "yes" : "no";
        } else if (command == "quit")
            QCoreApplication::quit();
        else
            return "error unknown command";
        return "ok";
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    X11Options options;
    options.display = argc > 1 ? argv[1] : "";
    options.waylandSession = false;
    auto system = X11WindowSystem::open(options);
    if (!system) {
        std::cerr << "cannot open display\n";
        return 1;
    }
    X11DesktopBackend desktop(std::move(system), options.display);
    QtRunLoop loop;
    DiagnosticsLog log(std::nullopt);
    const auto printLines = log.addObserver([&] {
        if (!log.lines().empty())
            std::cerr << "host: " << log.lines().back() << "\n";
    });
    MemoryPreferencesDomain domain;
    AppSettings settings(domain);
    TilingController controller(desktop.windowSystem(), loop, log, settings,
                                desktop.controllerDevices(loop));
    desktop.deliverEvents(loop);

    Host host{desktop.windowSystem(), log, controller};
    std::string buffer;
    loop.watch(STDIN_FILENO, [&] {
        char chunk[4096];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        for (auto end = buffer.find('\n'); end != std::string::npos; end = buffer.find('\n')) {
            const std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            std::cout << host.handle(line) << std::endl;
        }
    });
    const int status = QCoreApplication::exec();
    if (controller.isRunning().get())
        controller.stop();
    return status;
}
