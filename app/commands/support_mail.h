// SupportMail: "Contact Support…". Puts the diagnostics log on the clipboard, opens a
// prepared mail to the support address in the user's mail program, and, when no mail program
// opens, shows an alert with the address and a button that copies it. The log is on the
// clipboard either way. The tray menu and the command panel share one. Main thread only.
#pragma once

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

    // Opens URLs through QDesktopServices.
    SupportMail();
    explicit SupportMail(UrlOpener openUrl);

    // Copies the log, opens the mail, and shows the alert (modal, until dismissed) when no
    // mail program opened.
    void compose(const DiagnosticsLog& log, QWidget* parent = nullptr);

    // The mail's address: mailto, subject and body (with the number of screens now).
    static QUrl mailURL();
    // The alert for a mail that did not open; its "Copy Address" button copies the address.
    static std::unique_ptr<QMessageBox> makeAlert(QWidget* parent = nullptr);

private:
    UrlOpener openUrl_;
};

} // namespace morvanta
