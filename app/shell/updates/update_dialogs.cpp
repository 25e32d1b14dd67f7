#include "app/shell/updates/update_dialogs.h"

#include "app/shell/updates/verified_download.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace morvanta {

UpdateDialogs::UpdateDialogs(DiagnosticsLog& log) : log_(log) {
    downloadFolder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloadFolder.isEmpty())
        downloadFolder = QDir::homePath();
    showFolder = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

UpdateDialogs::~UpdateDialogs() {
    if (dialog_)
        delete dialog_.data();
}

void UpdateDialogs::show(QMessageBox* box) {
    if (dialog_)
        dialog_->close();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    dialog_ = box;
    box->show();
}

void UpdateDialogs::presentOffer(const UpdateOffer& offer) {
    auto* box = new QMessageBox();
    box->setWindowTitle(QStringLiteral("Software Update"));
    box->setIcon(QMessageBox::Information);
    box->setText(QStringLiteral("Morvanta %1 is available — you have %2.")
                     .arg(QString::fromStdString(offer.item.displayVersion),
                          QString::fromStdString(offer.currentVersion)));
    box->setInformativeText(
        QStringLiteral("Its download was checked against Morvanta's signing key. Save it to "
                       "your Downloads folder, then install it from there."));
    QPushButton* saveButton =
        box->addButton(QStringLiteral("Save Download"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("Not Now"), QMessageBox::RejectRole);
    box->setDefaultButton(saveButton);
    QObject::connect(saveButton, &QPushButton::clicked, box, [this, offer] { save(offer); });
    show(box);
}

void UpdateDialogs::presentUpToDate(const std::string& currentVersion) {
    auto* box = new QMessageBox();
    box->setWindowTitle(QStringLiteral("Software Update"));
    box->setIcon(QMessageBox::Information);
    box->setText(QStringLiteral("You're up to date."));
    box->setInformativeText(QStringLiteral("Morvanta %1 is the newest version available.")
                                .arg(QString::fromStdString(currentVersion)));
    show(box);
}

void UpdateDialogs::presentFailure(const std::string& title, const std::string& message) {
    auto* box = new QMessageBox();
    box->setWindowTitle(QStringLiteral("Software Update"));
    box->setIcon(QMessageBox::Warning);
    box->setText(QString::fromStdString(title));
    box->setInformativeText(QString::fromStdString(message));
    show(box);
}

void UpdateDialogs::save(const UpdateOffer& offer) {
    SavedDownload saved = VerifiedDownload::save(downloadFolder, offer.item, offer.download);
    if (saved.path.isEmpty()) {
        log_.append("⚠️ The update couldn't be saved: " + saved.error.toStdString());
        presentFailure("Couldn't save the update", saved.error.toStdString());
        return;
    }
    log_.append("Saved the update to Morvanta " + offer.item.displayVersion + " as " +
                saved.path.toStdString() + ".");
    showFolder(QUrl::fromLocalFile(downloadFolder));
}

} // namespace morvanta
