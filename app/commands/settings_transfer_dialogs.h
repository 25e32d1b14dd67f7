// SettingsTransferDialogs: the "Export Settings…" and "Import Settings…" commands with their
// dialogs: the save and open panels (JSON files only, proposing "Morvanta Settings.json"), the
// alert when a file cannot be written or read, and the confirmation before an import replaces
// the settings. The work itself is SettingsTransfer's. The builders are public so the texts
// can be checked without showing anything. Main thread only; both commands block in modal
// dialogs.
#pragma once

#include "app/commands/settings_transfer.h"

#include <QString>
#include <memory>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace morvanta {

class SettingsTransferDialogs {
public:
    explicit SettingsTransferDialogs(SettingsTransfer& transfer) : transfer_(transfer) {}

    void exportSettings(QWidget* parent = nullptr);
    void importSettings(QWidget* parent = nullptr);

    static std::unique_ptr<QFileDialog> makeExportDialog(QWidget* parent);
    static std::unique_ptr<QFileDialog> makeImportDialog(QWidget* parent);
    static std::unique_ptr<QMessageBox> makeExportFailedAlert(const QString& reason,
                                                              QWidget* parent);
    static std::unique_ptr<QMessageBox> makeImportFailedAlert(const QString& reason,
                                                              QWidget* parent);
    // "Replace Settings" is the first and default button; only it confirms.
    static std::unique_ptr<QMessageBox> makeReplaceConfirmation(const QString& fileName,
                                                                QWidget* parent);
    static bool confirmsReplace(const QMessageBox& box);

private:
    // The one file the user picked, or empty when they cancelled.
    static QString run(QFileDialog& dialog);

    SettingsTransfer& transfer_;
};

} // namespace morvanta
