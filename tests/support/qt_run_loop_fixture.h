// Tests on the Qt run loop: one QCoreApplication for the whole test program, and event
// processing until a condition holds or a deadline passes.
#pragma once

#include "app/shell/run_loop/qt_run_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

namespace morvanta::testing {

class QtRunLoopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "run_loop_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    // Processes events until `done` holds or `limit` passes. `done` is asked once per turn and
    // never again once it held, so it may act (connect, reap a child).
    static bool spinUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        QElapsedTimer clock;
        clock.start();
        bool met = done();
        while (!met && clock.elapsed() < limit.count()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            met = done();
        }
        return met;
    }
};

} // namespace morvanta::testing
