// The export and import dialogs on Qt's offscreen platform, built but never shown: titles,
// the proposed file name, JSON only, the alerts' texts and the confirmation's buttons.
#include "app/commands/settings_transfer_dialogs.h"
#include "tests/support/gui_application.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

using Dialogs = SettingsTransferDialogs;

class SettingsDialogsTest : public ::testing::Test {
protected:
    SettingsDialogsTest() { guiApplication(); }
};

TEST_F(SettingsDialogsTest, SaveAndOpenPanelsOfferJsonFilesOnly) {
    const auto save = Dialogs::makeExportDialog(nullptr);
    EXPECT_EQ(save->windowTitle(), "Export Morvanta Settings");
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save->defaultSuffix(), "json");
    ASSERT_EQ(save->mimeTypeFilters(), QStringList{"application/json"});
    ASSERT_EQ(save->nameFilters().size(), 1);
    EXPECT_TRUE(save->nameFilters().front().contains("*.json"));
    // The name the panel proposes.
    save->setOption(QFileDialog::DontUseNativeDialog);
    const auto* name = save->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Morvanta Settings.json");

    const auto open = Dialogs::makeImportDialog(nullptr);
    EXPECT_EQ(open->windowTitle(), "Import Morvanta Settings");
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open->mimeTypeFilters(), QStringList{"application/json"});
}

TEST_F(SettingsDialogsTest, AlertsNameWhatFailedAndWhy) {
    const auto exportFailed = Dialogs::makeExportFailedAlert("Disk full.", nullptr);
    EXPECT_EQ(exportFailed->text(), "Couldn't export settings");
    EXPECT_EQ(exportFailed->informativeText(), "Disk full.");
    const auto importFailed =
        Dialogs::makeImportFailedAlert("This file isn't a Morvanta settings file.", nullptr);
    EXPECT_EQ(importFailed->text(), "Couldn't import settings");
    EXPECT_EQ(importFailed->informativeText(), "This file isn't a Morvanta settings file.");
}

TEST_F(SettingsDialogsTest, OnlyReplaceSettingsConfirmsAnImport) {
    const auto box = Dialogs::makeReplaceConfirmation("backup.json", nullptr);
    EXPECT_EQ(box->text(), "Replace your Morvanta settings?");
    EXPECT_EQ(box->informativeText(),
              QString::fromUtf8("Your layouts, workspaces, app rules, appearance and shortcuts "
                                "will be replaced with the ones in \u201Cbackup.json\u201D."));
    const auto buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 2);
    QAbstractButton* replace = nullptr;
    QAbstractButton* cancel = nullptr;
    for (auto* button : buttons)
        (button->text() == "Replace Settings" ? replace : cancel) = button;
    ASSERT_NE(replace, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(box->defaultButton(), replace);
    EXPECT_EQ(box->buttonRole(replace), QMessageBox::AcceptRole);
    EXPECT_EQ(box->escapeButton(), cancel);

    EXPECT_FALSE(Dialogs::confirmsReplace(*box));
    cancel->click();
    EXPECT_FALSE(Dialogs::confirmsReplace(*box));
    replace->click();
    EXPECT_TRUE(Dialogs::confirmsReplace(*box));
}

} // namespace
} // namespace morvanta::testing
