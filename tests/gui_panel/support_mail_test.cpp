// The support mail on Qt's offscreen platform: the log on the clipboard, the mail address
// handed to the desktop, the alert with its copy button when no mail program opens or none is
// registered, and the registration check through the real xdg-mime in a private XDG home.
#include "app/commands/mail_handler_check.h"
#include "app/commands/support_mail.h"
#include "app/diagnostics/crash_reports.h"
#include "app/diagnostics/diagnostics_log.h"
#include "tests/support/gui_application.h"
#include "tests/support/xdg_sandbox.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrlQuery>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

using Answer = MailHandlerCheck::Answer;

SupportMail::HandlerCheck answering(Answer answer) {
    return [answer] { return answer; };
}

// Clicks the named button of the alert once it is up; records that it was.
void clickInAlert(const QString& button, bool* shown = nullptr) {
    QTimer::singleShot(0, [button, shown] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(alert, nullptr);
        if (shown)
            *shown = true;
        for (auto* each : alert->buttons())
            if (each->text() == button)
                each->click();
    });
}

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
    SupportMail mail(
        [&](const QUrl& url) {
            opened.push_back(url);
            return true;
        },
        answering(Answer::found));
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
    SupportMail mail([](const QUrl&) { return false; }, answering(Answer::found));
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
    SupportMail mail([](const QUrl&) { return false; }, answering(Answer::found));
    clickInAlert(QStringLiteral("OK"));
    mail.compose(log);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logText());
}

// xdg-open starts, and so "opens" the mail, also when no program for mailto exists: a desktop
// known to have none gets the alert and no opening. When the check cannot tell, the opening's
// own answer decides.
TEST_F(SupportMailTest, NoMailProgramRegisteredGetsTheAlertEvenThoughOpeningWouldStart) {
    int openings = 0;
    const auto starts = [&](const QUrl&) {
        ++openings;
        return true;
    };
    SupportMail none(starts, answering(Answer::none));
    bool shown = false;
    clickInAlert(QStringLiteral("OK"), &shown);
    none.compose(log);
    EXPECT_TRUE(shown);
    EXPECT_EQ(openings, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logText());

    SupportMail unknown(starts, answering(Answer::unknown));
    unknown.compose(log);
    EXPECT_EQ(openings, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    SupportMail unknownFailing([](const QUrl&) { return false; }, answering(Answer::unknown));
    shown = false;
    clickInAlert(QStringLiteral("OK"), &shown);
    unknownFailing.compose(log);
    EXPECT_TRUE(shown);
}

void writeFile(const std::filesystem::path& path, const std::string& text,
               std::filesystem::perms perms = std::filesystem::perms::owner_read |
                                              std::filesystem::perms::owner_write) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
    std::filesystem::permissions(path, perms);
}

// The real xdg-mime over a private XDG home: no handler, a desktop entry that handles mailto,
// a query slower than the bound, and no xdg-mime at all.
TEST(MailHandlerCheck, AsksXdgMimeAndWaitsNoLongerThanItsBound) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        GTEST_SKIP() << "xdg-mime (xdg-utils) is not installed";
    XdgSandbox sandbox;
    sandbox.set("XDG_CONFIG_DIRS", (sandbox.root() / "system-config").string());
    // The generic desktop: nothing asks a desktop's own tools or this display.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "DISPLAY", "WAYLAND_DISPLAY"})
        sandbox.set(name, std::nullopt);

    EXPECT_EQ(MailHandlerCheck::ask(), Answer::none);

    writeFile(sandbox.data() / "applications" / "mailer.desktop",
              "[Desktop Entry]\nType=Application\nName=Mailer\nExec=true %u\n"
              "MimeType=x-scheme-handler/mailto;\n");
    EXPECT_EQ(MailHandlerCheck::ask(), Answer::found);

    const auto bin = sandbox.root() / "bin";
    writeFile(bin / "xdg-mime", "#!/bin/sh\nexec sleep 30\n", std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    sandbox.set("PATH", bin.string() + ":" + (path ? path : ""));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MailHandlerCheck::ask(std::chrono::milliseconds(300)), Answer::unknown);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    sandbox.set("PATH", (sandbox.root() / "empty").string());
    EXPECT_EQ(MailHandlerCheck::ask(), Answer::unknown);
}

} // namespace
} // namespace morvanta::testing
