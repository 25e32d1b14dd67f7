// Qt helpers for the update tests: one application object for the whole test program, on
// the offscreen platform (never the user's display) and without proxies, and waiting on a condition
// with a deadline while the event loop runs.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkProxy>
#include <chrono>
#include <cstdlib>
#include <functional>

namespace morvanta::testing {

inline void ensureQtApplication() {
    if (QCoreApplication::instance())
        return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "updates_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the program ends
    // The feeds are served on 127.0.0.1: never through a proxy the environment may name.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

// A member that makes sure the application exists before the members after it are built.
struct QtApplicationInstance {
    QtApplicationInstance() { ensureQtApplication(); }
};

inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > deadline.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace morvanta::testing
