// SupportMail: "Contact Support…". Puts the diagnostics log on the clipboard, opens a
// prepared mail to the support address in the user's mail program, and, when no mail program
// takes it (none is registered for mailto, or opening fails), shows an alert with the address
// and a button that copies it. The log is on the clipboard either way. The tray menu and the
// command panel share one. Main thread only.
#pragma once

#include "app/commands/mail_handler_check.h"

#include <QUrl>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace morvanta {

class DiagnosticsLog;

class SupportMail {
public:
    // Opens a URL in the desktop's program for it; true when one opened.
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Whether the desktop has a program for mailto links.
    using HandlerCheck = std::function<MailHandlerCheck::Answer()>;

    // Asks xdg-mime for a mail program and opens URLs through QDesktopServices.
    SupportMail();
    SupportMail(UrlOpener openUrl, HandlerCheck hasMailProgram);

    // Copies the log, opens the mail, and shows the alert (modal, until dismissed, brought in
    // front of other applications) when no mail program took it.
    void compose(const DiagnosticsLog& log, QWidget* parent = nullptr);

    // The mail's address: mailto, subject and body (with the number of screens now).
    static QUrl mailURL();
    // The alert for a mail that did not open; its "Copy Address" button copies the address.
    static std::unique_ptr<QMessageBox> makeAlert(QWidget* parent = nullptr);

private:
    bool openMail();

    UrlOpener openUrl_;
    HandlerCheck hasMailProgram_;
};

} // namespace morvanta
