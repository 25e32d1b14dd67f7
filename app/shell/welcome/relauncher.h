// Relauncher: starts Morvanta again, for the welcome guide's "Relaunch Morvanta". The program
// file is executed directly with its (empty) argument list, never through a shell, so no
// character of its path can be read as a command.
//
// A relaunch happens in two steps: request() checks that the program can be run and asks the
// application to quit; once the event loop has ended (the controller stopped, every window back,
// the single-instance socket closed), the application calls startIfRequested(), which starts the
// new process. Starting it only then means the new Morvanta never meets the old one still
// running, with no fixed wait in between.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace morvanta {

struct RelaunchCommand {
    QString program;
    QStringList arguments;
    bool operator==(const RelaunchCommand&) const = default;
};

class Relauncher {
public:
    using StartDetached = std::function<bool(const QString& program, const QStringList& args)>;

    static constexpr const char* runningProgram = "/proc/self/exe";

    // What runs again for the program at `applicationFilePath` (as
    // QCoreApplication::applicationFilePath answers): that file when it is an executable file;
    // when it was replaced while running (an update, which Linux reports as "<path> (deleted)")
    // the new file at the same path; otherwise the running program itself. No arguments: a
    // relaunch is an ordinary start.
    static RelaunchCommand command(const QString& applicationFilePath);

    // `quit` ends the application's event loop; `start` defaults to QProcess::startDetached.
    explicit Relauncher(std::function<void()> quit, StartDetached start = {});

    // Checks the program and, when it can run, remembers the relaunch and quits. False, without
    // quitting, when there is nothing to run.
    bool request();
    bool requested() const { return requested_; }
    // Starts the remembered relaunch; false when none was requested or the start failed (then
    // one line goes to standard error, the session's journal).
    bool startIfRequested();

private:
    std::function<void()> quit_;
    StartDetached start_;
    bool requested_ = false;
    RelaunchCommand command_;
};

} // namespace morvanta
