// morvanta-selftest: runs Morvanta's self-test on the X display named by $DISPLAY (or by
// "--display :N") and exits with 0 when every check passed, 1 when one failed or the script
// ended early, 2 when the display cannot be opened. Every log line also goes to standard output.
#include "app/desktop/x11/x11_desktop_backend.h"
#include "app/shell/selftest/self_test_session.h"

#include <QCoreApplication>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string display;
    const QStringList arguments = app.arguments();
    const auto displayAt = arguments.indexOf("--display");
    if (displayAt >= 0 && displayAt + 1 < arguments.size())
        display = arguments[displayAt + 1].toStdString();

    morvanta::DiagnosticsLog log;
    const auto printLines = log.addObserver([&log] {
        if (!log.lines().empty()) {
            std::printf("%s\n", log.lines().back().c_str());
            std::fflush(stdout);
        }
    });
    auto desktop = morvanta::X11DesktopBackend::open(display);
    if (!desktop) {
        std::fprintf(stderr, "morvanta-selftest: cannot open the X display\n");
        return 2;
    }
    morvanta::QtRunLoop loop;
    morvanta::SelfTestSession session(*desktop, loop, log);
    session.start([](int status) { QCoreApplication::exit(status); });
    return app.exec();
}
