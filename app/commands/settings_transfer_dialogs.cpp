#include "app/commands/settings_transfer_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

namespace morvanta {

namespace {

const char* const replaceButtonName = "replaceSettings";

std::unique_ptr<QFileDialog> makeJsonDialog(QWidget* parent, const QString& title) {
    auto dialog = std::make_unique<QFileDialog>(parent, title);
    dialog->setMimeTypeFilters({QStringLiteral("application/json")});
    dialog->setWindowModality(Qt::ApplicationModal);
    return dialog;
}

std::unique_ptr<QMessageBox> makeAlert(const QString& message, const QString& reason,
                                       QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Morvanta"));
    box->setText(message);
    box->setInformativeText(reason);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

// A tray application has no window in front: bring the dialog forward when it shows.
void bringForward(QWidget& dialog) {
    dialog.raise();
    dialog.activateWindow();
}

} // namespace

std::unique_ptr<QFileDialog> SettingsTransferDialogs::makeExportDialog(QWidget* parent) {
    auto dialog = makeJsonDialog(parent, QStringLiteral("Export Morvanta Settings"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("json"));
    dialog->selectFile(QString::fromUtf8(SettingsFile::defaultFileName));
    return dialog;
}

std::unique_ptr<QFileDialog> SettingsTransferDialogs::makeImportDialog(QWidget* parent) {
    auto dialog = makeJsonDialog(parent, QStringLiteral("Import Morvanta Settings"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

std::unique_ptr<QMessageBox> SettingsTransferDialogs::makeExportFailedAlert(const QString& reason,
                                                                            QWidget* parent) {
    return makeAlert(QStringLiteral("Couldn't export settings"), reason, parent);
}

std::unique_ptr<QMessageBox> SettingsTransferDialogs::makeImportFailedAlert(const QString& reason,
                                                                            QWidget* parent) {
    return makeAlert(QStringLiteral("Couldn't import settings"), reason, parent);
}

std::unique_ptr<QMessageBox>
SettingsTransferDialogs::makeReplaceConfirmation(const QString& fileName, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::Question);
    box->setWindowTitle(QStringLiteral("Morvanta"));
    box->setText(QStringLiteral("Replace your Morvanta settings?"));
    box->setInformativeText(
        QStringLiteral("Your layouts, workspaces, app rules, appearance and shortcuts will be "
                       "replaced with the ones in \u201C") +
        fileName + QStringLiteral("\u201D."));
    QPushButton* replace =
        box->addButton(QStringLiteral("Replace Settings"), QMessageBox::AcceptRole);
    replace->setObjectName(QString::fromLatin1(replaceButtonName));
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(replace);
    box->setEscapeButton(cancel);
    return box;
}

bool SettingsTransferDialogs::confirmsReplace(const QMessageBox& box) {
    const QAbstractButton* clicked = box.clickedButton();
    return clicked != nullptr && clicked->objectName() == QString::fromLatin1(replaceButtonName);
}

QString SettingsTransferDialogs::run(QFileDialog& dialog) {
    bringForward(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

void SettingsTransferDialogs::exportSettings(QWidget* parent) {
    const auto dialog = makeExportDialog(parent);
    const QString file = run(*dialog);
    if (file.isEmpty())
        return;
    if (const auto error = transfer_.exportTo(pathOf(file))) {
        const auto alert = makeExportFailedAlert(QString::fromStdString(*error), parent);
        bringForward(*alert);
        alert->exec();
    }
}

void SettingsTransferDialogs::importSettings(QWidget* parent) {
    const auto dialog = makeImportDialog(parent);
    const QString file = run(*dialog);
    if (file.isEmpty())
        return;
    // Everything that can refuse the file runs here, before the question and any change.
    const auto reading = transfer_.read(pathOf(file));
    if (!reading.file) {
        const auto alert = makeImportFailedAlert(QString::fromStdString(reading.error), parent);
        bringForward(*alert);
        alert->exec();
        return;
    }
    const auto confirmation = makeReplaceConfirmation(QFileInfo(file).fileName(), parent);
    bringForward(*confirmation);
    confirmation->exec();
    if (confirmsReplace(*confirmation))
        transfer_.applySettingsFile(*reading.file);
}

} // namespace morvanta
