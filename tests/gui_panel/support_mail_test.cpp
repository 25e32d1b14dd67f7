// The support mail on Qt's offscreen platform: the log on the clipboard, the mail address
// handed to the desktop, and the alert with its copy button when no mail program opens.
#include "app/commands/support_mail.h"
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "tests/gui/gui_application.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

class SupportMailTest : public ::testing::Test {
protected:
    SupportMailTest() {
        guiApplication();
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        log.append("Tiling started.");
        log.append("New windows: xterm — “~”");
        // Should the alert's check fail to close it, this closes it so the test ends.
        QTimer::singleShot(10000, [] {
            if (auto* modal = QApplication::activeModalWidget())
                modal->close();
        });
    }

    QString logText() const {
        return QString::fromStdString(log.lines()[0] + "\n" + log.lines()[1]);
    }

    DiagnosticsLog log{std::nullopt};
};

TEST_F(SupportMailTest, OpensAPreparedMailAndCopiesTheLog) {
    std::vector<QUrl> opened;
    SupportMail mail([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    mail.compose(log);
    ASSERT_EQ(opened.size(), 1u);
    const QUrl& url = opened.front();
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QString::fromStdString(CrashReports::supportAddress()));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded),
              QStringLiteral("Morvanta support"));
    const QString body = query.queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.startsWith("Hi,\n\nWhat happened")) << body.toStdString();
    EXPECT_TRUE(body.contains("\nScreens: 1\n")) << body.toStdString();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logText());
}

TEST_F(SupportMailTest, WithoutAMailProgramTheAlertOffersTheAddress) {
    SupportMail mail([](const QUrl&) { return false; });
    QString title, text, clipboardWhileShown, defaultButton;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(alert, nullptr);
        title = alert->text();
        text = alert->informativeText();
        for (auto* button : alert->buttons())
            buttons << button->text();
        clipboardWhileShown = QGuiApplication::clipboard()->text();
        defaultButton = alert->defaultButton()->text();
        for (auto* button : alert->buttons())
            if (button->text() == QStringLiteral("Copy Address"))
                button->click();
    });
    mail.compose(log);

    const QString address = QString::fromStdString(CrashReports::supportAddress());
    EXPECT_EQ(title, "Email " + address);
    EXPECT_EQ(text, "Morvanta couldn't open your email app. Please email us at " + address +
                        ". Your Morvanta log has been copied; paste it into the email.");
    EXPECT_EQ(buttons, (QStringList{"Copy Address", "OK"}));
    EXPECT_EQ(defaultButton, QStringLiteral("Copy Address"));
    EXPECT_EQ(clipboardWhileShown, logText());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address);
}

TEST_F(SupportMailTest, OkLeavesTheLogOnTheClipboard) {
    SupportMail mail([](const QUrl&) { return false; });
    QTimer::singleShot(0, [] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(alert, nullptr);
        for (auto* button : alert->buttons())
            if (button->text() == QStringLiteral("OK"))
                button->click();
    });
    mail.compose(log);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logText());
}

} // namespace
} // namespace morvanta::testing
