#include "app/shell/welcome/relauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace morvanta {

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

} // namespace

RelaunchCommand Relauncher::command(const QString& applicationFilePath) {
    static const QString replaced = QStringLiteral(" (deleted)");
    QString program = applicationFilePath;
    if (!isExecutableFile(program) && program.endsWith(replaced))
        program.chop(replaced.size());
    if (!isExecutableFile(program))
        program = QString::fromLatin1(runningProgram);
    return {program, {}};
}

Relauncher::Relauncher(std::function<void()> quit, StartDetached start)
    : quit_(std::move(quit)), start_(std::move(start)) {
    if (!start_)
        start_ = [](const QString& program, const QStringList& args) {
            return QProcess::startDetached(program, args);
        };
}

bool Relauncher::request() {
    command_ = command(QCoreApplication::applicationFilePath());
    if (!isExecutableFile(command_.program))
        return false;
    requested_ = true;
    if (quit_)
        quit_();
    return true;
}

bool Relauncher::startIfRequested() {
    if (!requested_)
        return false;
    requested_ = false;
    if (start_(command_.program, command_.arguments))
        return true;
    std::fprintf(stderr, "Morvanta: relaunch failed: %s could not be started\n",
                 command_.program.toLocal8Bit().constData());
    return false;
}

} // namespace morvanta
