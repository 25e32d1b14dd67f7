// MailHandlerCheck: one bounded run of `xdg-mime query default x-scheme-handler/mailto`.
#include "app/commands/mail_handler_check.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

namespace morvanta {

MailHandlerCheck::Answer MailHandlerCheck::ask(std::chrono::milliseconds limit) {
    QDeadlineTimer deadline(limit);
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"),
                 QStringLiteral("x-scheme-handler/mailto")},
                QIODevice::ReadOnly);
    if (!query.waitForStarted(static_cast<int>(deadline.remainingTime())))
        return Answer::unknown;
    if (!query.waitForFinished(static_cast<int>(deadline.remainingTime()))) {
        // Slower than the bound: leave the decision to the mail's opening.
        query.kill();
        query.waitForFinished();
        return Answer::unknown;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return Answer::unknown;
    // It names the desktop entry of the default handler, or prints nothing when there is none.
    return query.readAllStandardOutput().trimmed().isEmpty() ? Answer::none : Answer::found;
}

} // namespace morvanta
