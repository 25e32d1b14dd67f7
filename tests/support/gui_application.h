// The one QApplication of a gui test program, on Qt's offscreen platform: these tests need no
// real window, and they must never open one on the user's display.
#pragma once

#include <QApplication>
#include <QImage>
#include <cstdlib>

namespace morvanta::testing {

inline QApplication& guiApplication() {
    static int argc = 1;
    static char name[] = "morvanta-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Channel-wise closeness, for pixels of antialiased drawing.
inline bool nearColor(QColor actual, QColor expected, int tolerance = 2) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// `top` at `opacity` over the opaque `bottom`.
inline QColor blend(QColor top, double opacity, QColor bottom) {
    auto mix = [&](int a, int b) {
        return static_cast<int>(a * opacity + b * (1 - opacity) + 0.5);
    };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                  mix(top.blue(), bottom.blue()));
}

} // namespace morvanta::testing
