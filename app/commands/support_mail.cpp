// SupportMail: the clipboard, the mail program and the fallback alert.
#include "app/commands/support_mail.h"

#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace morvanta {

namespace {

void copyText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

// A tray application has no window in front: once the alert shows, bring it forward.
void bringForwardWhenShown(QWidget& alert) {
    QTimer::singleShot(0, &alert, [&alert] {
        alert.raise();
        alert.activateWindow();
    });
}

} // namespace

SupportMail::SupportMail()
    : SupportMail([](const QUrl& url) { return QDesktopServices::openUrl(url); },
                  [] { return MailHandlerCheck::ask(); }) {}

SupportMail::SupportMail(UrlOpener openUrl, HandlerCheck hasMailProgram)
    : openUrl_(std::move(openUrl)), hasMailProgram_(std::move(hasMailProgram)) {}

QUrl SupportMail::mailURL() {
    const auto screens = static_cast<int>(QGuiApplication::screens().size());
    return QUrl(QString::fromStdString(CrashReports::supportMailURL(screens)), QUrl::StrictMode);
}

void SupportMail::compose(const DiagnosticsLog& log, QWidget* parent) {
    copyText(joinedLines(log.lines()));
    if (openMail())
        return;
    auto alert = makeAlert(parent);
    bringForwardWhenShown(*alert);
    alert->exec();
}

bool SupportMail::openMail() {
    // Opening answers only whether xdg-open started, which it does also when no program for
    // mailto exists; so a desktop known to have none gets the alert without trying. When the
    // check cannot tell, the opening's own answer decides.
    if (hasMailProgram_ && hasMailProgram_() == MailHandlerCheck::Answer::none)
        return false;
    const QUrl url = mailURL();
    return url.isValid() && openUrl_ && openUrl_(url);
}

std::unique_ptr<QMessageBox> SupportMail::makeAlert(QWidget* parent) {
    auto alert = std::make_unique<QMessageBox>(parent);
    alert->setIcon(QMessageBox::Information);
    alert->setWindowTitle(QStringLiteral("Morvanta"));
    alert->setText(QString::fromStdString(CrashReports::mailAlertTitle()));
    alert->setInformativeText(QString::fromStdString(CrashReports::mailAlertText()));
    // "Copy Address" leads: it comes first and answers Return, as the alert's main offer.
    auto* copy = alert->addButton(QString::fromUtf8(CrashReports::mailAlertCopyButton),
                                  QMessageBox::AcceptRole);
    alert->addButton(QString::fromUtf8(CrashReports::mailAlertOkButton), QMessageBox::AcceptRole);
    alert->setDefaultButton(copy);
    // The copy button closes the alert like any other; the address is copied on its click.
    QObject::connect(copy, &QPushButton::clicked, [] { copyText(CrashReports::supportAddress()); });
    return alert;
}

} // namespace morvanta
