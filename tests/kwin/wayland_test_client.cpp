// morvanta-wayland-testclient: a native Wayland client for the KWin tests, in a process of its
// own, so tests drive real windows of another program that vanish when it is killed. Its Wayland
// app id (KWin's resourceClass) is "morvanta-wayland-testclient". One command per line on
// stdin, each answered with one line on stdout once done; "quit" or the end of input ends it:
//   open NAME W H        a window titled NAME, answered "window NAME" once the compositor
//                        shows it ("error …" when it does not within five seconds)
//   many COUNT PREFIX W H   opens PREFIX1 … PREFIXCOUNT, answered "ok"
//   close NAME | title NAME TEXT… | resize NAME W H | minsize NAME W H
//   list (the open windows' names) | pid
// A window cannot place itself on Wayland: positions are the compositor's (tests set them
// through KWin).
#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

class WindowOwner {
public:
    std::string command(const std::string& line);

private:
    std::string open(const std::string& name, int width, int height);
    QWidget* find(const std::string& name) {
        const auto it = windows_.find(name);
        return it == windows_.end() ? nullptr : it->second.get();
    }

    std::map<std::string, std::unique_ptr<QWidget>> windows_;
};

std::string WindowOwner::open(const std::string& name, int width, int height) {
    if (find(name))
        return "error " + name + " is open";
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QString::fromStdString(name));
    window->resize(width, height);
    window->show();
    QWidget* shown = window.get();
    windows_[name] = std::move(window);
    QElapsedTimer waited;
    waited.start();
    while (!(shown->windowHandle() && shown->windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return shown->windowHandle() && shown->windowHandle()->isExposed()
               ? "window " + name
               : "error " + name + " not shown";
}

std::string WindowOwner::command(const std::string& line) {
    std::istringstream in(line);
    std::string verb, name;
    in >> verb >> name;
    int width = 0, height = 0;
    if (verb == "open" && in >> width >> height && width > 0 && height > 0)
        return open(name, width, height);
    if (verb == "many") {
        const int count = std::atoi(name.c_str());
        std::string prefix;
        in >> prefix >> width >> height;
        for (int i = 1; i <= count; ++i)
            if (const auto reply = open(prefix + std::to_string(i), width, height);
                reply.rfind("error", 0) == 0)
                return reply;
        return count > 0 && width > 0 && height > 0 ? "ok" : "error many COUNT PREFIX W H";
    }
    if (verb == "pid")
        return "pid " + std::to_string(getpid());
    if (verb == "list") {
        std::string names = "windows";
        for (const auto& [open, window] : windows_)
            names += " " + open;
        return names;
    }
    QWidget* window = find(name);
    if (!window)
        return "error no window " + name;
    if (verb == "close") {
        windows_.erase(name);
        return "ok";
    }
    if (verb == "title") {
        std::string text;
        std::getline(in >> std::ws, text);
        window->setWindowTitle(QString::fromStdString(text));
        return "ok";
    }
    if ((verb == "resize" || verb == "minsize") && in >> width >> height) {
        if (verb == "resize")
            window->resize(width, height);
        else
            window->setMinimumSize(width, height);
        return "ok";
    }
    return "error unknown command: " + line;
}

} // namespace

int main(int argc, char** argv) {
    // A native Wayland client by definition: never a silent fall-back to Xwayland.
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName("morvanta-wayland-testclient");
    QApplication::setQuitOnLastWindowClosed(false);
    WindowOwner owner;
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
        // Commands run one after another: none is read while one waits for the compositor.
        input.setEnabled(false);
        for (auto newline = buffer.find('\n'); newline != std::string::npos;
             newline = buffer.find('\n')) {
            const std::string line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            if (line == "quit") {
                QCoreApplication::quit();
                return;
            }
            if (!line.empty())
                std::cout << owner.command(line) << std::endl;
        }
        input.setEnabled(true);
    });
    return app.exec();
}
