// bench-qt-floor: the least a Qt Widgets program holds in memory: a QApplication on the
// display with its event loop running and nothing shown. bench_outside reads its resident set
// beside Morvanta's, as the part of Morvanta's memory the toolkit alone takes. Prints "ready"
// once the event loop has turned, and runs until it is ended.
#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
