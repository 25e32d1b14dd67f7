// morvanta-kwin-border-host: Morvanta's KWin backend with the focus border's devices, in a
// process of its own inside a test's headless KWin session: the session-bus channel loading the
// bridge script, the window system, the ring window (a native Wayland window) and its overlay,
// and a stand-in command panel placed by the script. One command per line on stdin, each
// answered with one line once done; the end of input ends it:
//   ready                 "ready" once the script has said hello ("error …" after ten seconds)
//   border CAPTION        the ring around the window titled CAPTION: "shown", or "error …"
//   hide                  the ring hidden: "ok"
//   panel                 the stand-in panel shown and placed: "ok"
// Arguments: the bridge script's path, the parking marks' state file.
#include "app/shell/border_window/border_window.h"
#include "app/shell/run_loop/qt_run_loop.h"
#include "ax/kwin/kwin_border_overlay.h"
#include "ax/kwin/kwin_own_window_placer.h"
#include "ax/kwin/kwin_window_system.h"
#include "ax/kwin/sd_bus_kwin_channel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace morvanta {
namespace {

class BorderHost {
public:
    BorderHost(const std::string& script, const std::string& stateFile)
        : channel_({script, "", {}, tell}),
          system_(channel_,
                  KWinOptions{stateFile, getpid(), std::chrono::milliseconds(500), tell, nullptr}),
          border_(system_, surface_), placer_(system_) {
        watch_ = loop_.watch(system_.eventDescriptor(), [this] { system_.dispatchPending(); });
        panel_.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        panel_.setWindowTitle("Morvanta command panel");
        panel_.setFixedSize(620, 420);
    }
    ~BorderHost() { loop_.cancel(watch_); }

    std::string command(const std::string& line) {
        std::istringstream in(line);
        std::string verb, rest;
        in >> verb;
        std::getline(in >> std::ws, rest);
        if (verb == "ready")
            return ready() ? "ready" : "error the script did not say hello";
        if (verb == "border")
            return showAround(rest);
        if (verb == "hide") {
            border_.hide();
            return "ok";
        }
        if (verb == "panel") {
            panel_.show();
            placer_.centreOnPointerScreen("Morvanta command panel", 0.18);
            return "ok";
        }
        return "error unknown command: " + line;
    }

private:
    static void tell(const std::string& line) { std::cerr << "host: " << line << std::endl; }

    bool ready() {
        QElapsedTimer waited;
        waited.start();
        while (!system_.checkTrust(false) && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return system_.checkTrust(false);
    }

    std::string showAround(const std::string& caption) {
        for (const auto& [id, window] : system_.state().windows())
            if (window.record.caption == caption)
                if (const auto handle = system_.handle(id))
                    return border_.show(*handle) ? "shown" : "error no frame";
        return "error no window " + caption;
    }

    QtRunLoop loop_;
    SdBusKWinChannel channel_;
    KWinWindowSystem system_;
    BorderWindow surface_;
    KWinBorderOverlay border_;
    KWinOwnWindowPlacer placer_;
    QWidget panel_;
    RunLoop::TaskID watch_ = 0;
};

} // namespace
} // namespace morvanta

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 3) {
        std::cerr << "usage: morvanta-kwin-border-host SCRIPT STATE-FILE\n";
        return 2;
    }
    morvanta::BorderHost host(argv[1], argv[2]);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string buffer;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[512];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof(chunk));
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        input.setEnabled(false);
        for (auto newline = buffer.find('\n'); newline != std::string::npos;
             newline = buffer.find('\n')) {
            const std::string line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            if (!line.empty())
                std::cout << host.command(line) << std::endl;
        }
        input.setEnabled(true);
    });
    return app.exec();
}
