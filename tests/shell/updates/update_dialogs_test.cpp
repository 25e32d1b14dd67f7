// The offer dialog on the offscreen platform: its texts, and that saving keeps exactly the
// verified bytes in a new, non-executable file and shows the folder without opening the file.
#include "app/shell/updates/update_dialogs.h"
#include "app/shell/updates/verified_download.h"
#include "tests/shell/updates/qt_test_support.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

UpdateOffer offer(const std::string& url) {
    UpdateOffer result;
    result.item.version = "1.2.0";
    result.item.displayVersion = "1.2";
    result.item.downloadURL = url;
    result.currentVersion = "1.0.0";
    result.download = QByteArray("verified bytes\n");
    return result;
}

QPushButton* button(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton*>(b);
    return nullptr;
}

TEST(UpdateDialogs, SavingTheOfferKeepsTheVerifiedBytesAndShowsTheFolder) {
    testing::ensureQtApplication();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile existing(folder.filePath("Morvanta-1.2.0.tar.gz"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("older file");
    existing.close();

    DiagnosticsLog log(std::nullopt);
    UpdateDialogs dialogs(log);
    dialogs.downloadFolder = folder.path();
    std::vector<QUrl> shown;
    dialogs.showFolder = [&](const QUrl& url) {
        shown.push_back(url);
        return true;
    };
    dialogs.presentOffer(offer("https://example.org/dl/Morvanta-1.2.0.tar.gz?x=1"));
    QMessageBox* box = dialogs.openDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Morvanta 1.2 is available — you have 1.0.0.");
    ASSERT_NE(button(box, "Not Now"), nullptr);
    QPushButton* save = button(box, "Save Download");
    ASSERT_NE(save, nullptr);
    save->click();

    // The first free name, keeping the whole extension; the older file stays as it was.
    QString path = folder.filePath("Morvanta-1.2.0-2.tar.gz");
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(saved.readAll(), QByteArray("verified bytes\n"));
    EXPECT_FALSE(saved.permissions() & (QFileDevice::ExeOwner | QFileDevice::ExeUser |
                                        QFileDevice::ExeGroup | QFileDevice::ExeOther));
    QFile kept(folder.filePath("Morvanta-1.2.0.tar.gz"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("older file"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QUrl::fromLocalFile(folder.path()));
    ASSERT_FALSE(log.lines().empty());
    EXPECT_NE(log.lines().back().find("Saved the update to Morvanta 1.2 as "), std::string::npos);
}

TEST(UpdateDialogs, UnsafeDownloadNamesAreMadeHarmless) {
    AppcastItem item;
    item.displayVersion = "1.2";
    item.downloadURL = "https://example.org/..%2F..%2F.bashrc";
    EXPECT_EQ(VerifiedDownload::fileName(item).toStdString(), "bashrc");
    item.downloadURL = "https://example.org/.hidden";
    EXPECT_EQ(VerifiedDownload::fileName(item).toStdString(), "hidden");
    item.downloadURL = "https://example.org/";
    EXPECT_EQ(VerifiedDownload::fileName(item).toStdString(), "Morvanta-1.2");
}

TEST(UpdateDialogs, FailuresAndUpToDateAreShownAsMessages) {
    testing::ensureQtApplication();
    DiagnosticsLog log(std::nullopt);
    UpdateDialogs dialogs(log);
    dialogs.presentFailure("Update refused", "The download of Morvanta 1.2 doesn't match.");
    ASSERT_NE(dialogs.openDialog(), nullptr);
    EXPECT_EQ(dialogs.openDialog()->text(), "Update refused");
    EXPECT_EQ(dialogs.openDialog()->informativeText(),
              "The download of Morvanta 1.2 doesn't match.");
    dialogs.presentUpToDate("1.0.0");
    EXPECT_EQ(dialogs.openDialog()->text(), "You're up to date.");
    EXPECT_EQ(dialogs.openDialog()->informativeText(),
              "Morvanta 1.0.0 is the newest version available.");
}

} // namespace
} // namespace morvanta
