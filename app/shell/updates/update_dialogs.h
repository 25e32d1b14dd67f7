// UpdateDialogs: the update service's presenter in the application. An offer opens a dialog
// whose "Save Download" button saves the verified download into the Downloads folder and
// shows that folder through the desktop; nothing downloaded is ever opened or run. Other
// results are plain message boxes. Dialogs are not modal, so the event loop keeps running.
#pragma once

#include "app/diagnostics/diagnostics_log.h"
#include "app/shell/updates/update_presenter.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QMessageBox;

namespace morvanta {

class UpdateDialogs : public UpdatePresenter {
public:
    explicit UpdateDialogs(DiagnosticsLog& log);
    ~UpdateDialogs() override;

    void presentOffer(const UpdateOffer& offer) override;
    void presentUpToDate(const std::string& currentVersion) override;
    void presentFailure(const std::string& title, const std::string& message) override;

    // The dialog on screen, if any (the newest one replaces an older one).
    QMessageBox* openDialog() const { return dialog_; }

    // Where "Save Download" saves (the Downloads folder, else the home folder).
    QString downloadFolder;
    // Shows a folder on the desktop (QDesktopServices by default).
    std::function<bool(const QUrl&)> showFolder;

private:
    void show(QMessageBox* box);
    void save(const UpdateOffer& offer);

    DiagnosticsLog& log_;
    QPointer<QMessageBox> dialog_;
};

} // namespace morvanta
