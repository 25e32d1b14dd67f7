// The tray menu on Qt's offscreen platform over a controller on the fake desktop: its order
// and texts with one and two displays, the entries' window counts and names, the session
// notice coming and going, the update command in builds without a signing key, following the
// controller at once, letter workspaces in the move submenu; and the popup key router, which
// keeps the shortcuts working while the menu or any other popup is open.
#include "app/shell/tray/popup_key_router.h"
#include "app/shell/tray/tray_menu.h"
#include "tests/shell/tray/tray_fixture.h"
#include "tests/shell/updates/test_signing_key.h"
#include "tests/support/gui_application.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

void processEvents() {
    QCoreApplication::processEvents();
}

TEST(TrayMenu, OneDisplayHasNoHeadingAndListsEverythingInOrder) {
    guiApplication();
    TrayDesktop d;
    d.desktop.openWindow(d.editor, "a", {10, 10, 300, 200});
    d.startController();
    TrayMenu tray(*d.controller, d.settings, d.updater, {});
    processEvents();
    const QStringList expected = {"[x] Workspace 1  ·  1 window",
                                  "Workspace 2  ·  empty",
                                  "Workspace 3  ·  empty",
                                  "Workspace 4  ·  empty",
                                  "Workspace 5  ·  empty",
                                  "Workspace 6  ·  empty",
                                  "Workspace 7  ·  empty",
                                  "Workspace 8  ·  empty",
                                  "Workspace 9  ·  empty",
                                  "> Layout",
                                  "---",
                                  "> Move Window to Workspace",
                                  "Pause Tiling (Show All Windows)",
                                  "---",
                                  "Settings…",
                                  "(off) Check for Updates (after launch)",
                                  "Diagnostics…",
                                  "Contact Support…",
                                  "Quit Morvanta"};
    EXPECT_EQ(entries(tray.menu()), expected);

    const QMenu* layout = findAction(tray.menu(), "Layout")->menu();
    EXPECT_EQ(entries(*layout),
              QStringList({"Columns", "Rows", "[x] Main + Stack", "Grid", "Monocle"}));
    const QMenu* move = findAction(tray.menu(), "Move Window to Workspace")->menu();
    EXPECT_EQ(entries(*move).size(), 9);
    EXPECT_EQ(entries(*move).front(), "Workspace 1");
    EXPECT_EQ(findAction(tray.menu(), "Settings…")->shortcut().toString(), "Ctrl+,");
    EXPECT_EQ(findAction(tray.menu(), "Quit Morvanta")->shortcut().toString(), "Ctrl+Q");
}

TEST(TrayMenu, TwoDisplaysEachGetAHeadedSectionWithTheirOwnPickers) {
    guiApplication();
    TrayDesktop d(2);
    d.startController();
    TrayMenu tray(*d.controller, d.settings, d.updater, {});
    const QStringList all = entries(tray.menu());
    ASSERT_EQ(d.controller->summaries().get().size(), 2u);
    const QString first = QString::fromStdString(d.controller->summaries().get()[0].name);
    const QString second = QString::fromStdString(d.controller->summaries().get()[1].name);
    EXPECT_EQ(all.indexOf("(off) " + first), 0);
    const auto secondHeading = all.indexOf("(off) " + second);
    ASSERT_GT(secondHeading, 0);
    EXPECT_EQ(all.count("> Layout"), 2);
    EXPECT_EQ(all[secondHeading - 1], "---");
    // Each section lists only its own workspaces, its shown one checked.
    EXPECT_EQ(all.filter(QRegularExpression("^\\[x\\] Workspace")).size(), 2);
    EXPECT_EQ(all.filter(QRegularExpression("Workspace \\d  ·")).size(), 9);
}

TEST(TrayMenu, EntriesCountWindowsAndUseWorkspaceNames) {
    guiApplication();
    TrayDesktop d;
    const auto window = d.desktop.openWindow(d.editor, "a", {10, 10, 300, 200});
    d.desktop.openWindow(d.editor, "b", {10, 10, 300, 200});
    d.desktop.openWindow(d.editor, "c", {10, 10, 300, 200});
    d.startController();
    d.desktop.focus(window);
    d.settle();
    d.controller->commands().moveFocusedWindow(4);
    d.settings.setWorkspaceName("Mail", 2);
    TrayMenu tray(*d.controller, d.settings, d.updater, {});
    processEvents();
    const QStringList all = entries(tray.menu());
    EXPECT_TRUE(all.contains("[x] Workspace 1  ·  2 windows")) << all.join("|").toStdString();
    EXPECT_TRUE(all.contains("2 · Mail  ·  empty")) << all.join("|").toStdString();
    EXPECT_TRUE(all.contains("Workspace 4  ·  1 window")) << all.join("|").toStdString();
}

TEST(TrayMenu, FollowsTheControllerAndTheNames) {
    guiApplication();
    TrayDesktop d;
    d.desktop.openWindow(d.editor, "a", {10, 10, 300, 200});
    d.startController();
    TrayMenu tray(*d.controller, d.settings, d.updater, {});

    // Choosing an entry switches; the menu shows it once the action has returned.
    findAction(tray.menu(), "Workspace 3  ·  empty")->trigger();
    processEvents();
    EXPECT_TRUE(entries(tray.menu()).contains("[x] Workspace 3  ·  empty"));
    EXPECT_TRUE(entries(tray.menu()).contains("Workspace 1  ·  1 window"));

    findAction(*findAction(tray.menu(), "Layout")->menu(), "Grid")->trigger();
    processEvents();
    EXPECT_EQ(d.controller->summaries().get()[0].layout, LayoutKind::grid);
    EXPECT_TRUE(entries(*findAction(tray.menu(), "Layout")->menu()).contains("[x] Grid"));

    findAction(tray.menu(), "Pause Tiling (Show All Windows)")->trigger();
    processEvents();
    EXPECT_TRUE(d.controller->isPaused().get());
    EXPECT_TRUE(entries(tray.menu()).contains("[x] Pause Tiling (Show All Windows)"));

    d.settings.setWorkspaceName("Notes", 3);
    processEvents();
    EXPECT_TRUE(entries(tray.menu()).contains("[x] 3 · Notes  ·  empty"));
}

TEST(TrayMenu, MoveMenuListsLetterWorkspacesAndMovesThere) {
    guiApplication();
    TrayDesktop d;
    const auto window = d.desktop.openWindow(d.editor, "a", {10, 10, 300, 200});
    d.startController();
    TrayMenu tray(*d.controller, d.settings, d.updater, {});
    d.controller->addLetterWorkspace(103);
    processEvents();
    const QMenu* move = findAction(tray.menu(), "Move Window to Workspace")->menu();
    QStringList expected;
    for (int number = 1; number <= 9; ++number)
        expected << QString("Workspace %1").arg(number);
    EXPECT_EQ(entries(*move), expected + QStringList{"Workspace C"});

    d.desktop.focus(window);
    d.settle();
    QAction* letter = findAction(*move, "Workspace C");
    ASSERT_NE(letter, nullptr);
    letter->trigger();
    processEvents();
    const auto id = d.controller->registry().idFor(window);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(d.controller->manager().locations().at(*id), 103);

    d.controller->removeLetterWorkspace(103);
    processEvents();
    move = findAction(tray.menu(), "Move Window to Workspace")->menu();
    EXPECT_EQ(entries(*move), expected);
}

TEST(TrayMenu, SessionNoticeAppearsWithoutControlAndGoesOnceGranted) {
    guiApplication();
    TrayDesktop d;
    d.desktop.setTrusted(false);
    d.startController();
    TrayMenu tray(*d.controller, d.settings, d.updater, {});
    QStringList all = entries(tray.menu());
    const auto notice = all.indexOf("(off) Morvanta needs an X11 session");
    ASSERT_GE(notice, 0) << all.join("|").toStdString();
    EXPECT_EQ(all[notice - 1], "---");
    EXPECT_EQ(all[notice + 1], "How to Fix…");
    EXPECT_EQ(all[notice + 2], "---");
    EXPECT_EQ(all[notice + 3], "Settings…");
    const QAction* noticeAction = findAction(tray.menu(), "Morvanta needs an X11 session");
    ASSERT_NE(noticeAction, nullptr);
    EXPECT_FALSE(noticeAction->icon().isNull());

    d.desktop.setTrusted(true);
    d.loop.advance(std::chrono::milliseconds(1100)); // the permission poll
    processEvents();
    all = entries(tray.menu());
    EXPECT_FALSE(all.contains("(off) Morvanta needs an X11 session"));
    EXPECT_FALSE(all.contains("How to Fix…"));
}

TEST(TrayMenu, UpdateCommandIsOnlyEnabledWithASigningKey) {
    guiApplication();
    TrayDesktop d;
    d.startController();
    {
        TrayMenu tray(*d.controller, d.settings, d.updater, {});
        const QAction* update = findAction(tray.menu(), "Check for Updates (after launch)");
        ASSERT_NE(update, nullptr);
        EXPECT_FALSE(update->isEnabled());
    }
    TestSigningKey key;
    UpdaterConfiguration configuration;
    configuration.feedURL = "https://updates.example.org/appcast.xml";
    configuration.publicKey = key.publicKeyBase64();
    configuration.appVersion = "1.0";
    Updater signedUpdater(configuration, d.domain, d.log, d.presenter);
    TrayMenu tray(*d.controller, d.settings, signedUpdater, {});
    const QAction* update = findAction(tray.menu(), "Check for Updates…");
    ASSERT_NE(update, nullptr);
    EXPECT_TRUE(update->isEnabled());
}

TEST(PopupKeyRouter, EveryPopupOpensTheMenuModeOnceAndKeysGoToTheShortcuts) {
    guiApplication();
    TrayDesktop d;
    d.startController();
    std::vector<bool> reports;
    std::vector<std::pair<int, bool>> keys;
    int settingsOpened = 0;
    PopupKeyRoutes routes;
    routes.menuOpenChanged = [&](bool open) { reports.push_back(open); };
    routes.translate = [](quint32 keyCode, quint32 state) -> std::optional<Shortcut> {
        if (keyCode == 0)
            return std::nullopt; // a key the keyboard layout does not name
        return Shortcut{static_cast<int>(keyCode), static_cast<int>(state)};
    };
    routes.rawKey = [&](int keyCode, int, bool down) {
        keys.emplace_back(keyCode, down);
        return keyCode == 19; // the one bound combination
    };
    PopupKeyRouter router(routes);
    TrayActions actions;
    actions.openSettings = [&] { ++settingsOpened; };
    TrayMenu tray(*d.controller, d.settings, d.updater, actions);
    QComboBox combo;
    combo.addItems({"Columns", "Rows"});
    combo.show();

    tray.menu().popup(QPoint(10, 10));
    processEvents();
    combo.showPopup(); // a second popup while the first is open: no second report
    processEvents();
    EXPECT_EQ(reports, std::vector<bool>({true}));
    auto send = [&combo](QEvent::Type type, quint32 keyCode) {
        QKeyEvent event(type, Qt::Key_2, Qt::AltModifier, keyCode, 0, 0);
        QWidget* popup = QApplication::activePopupWidget();
        QApplication::sendEvent(popup ? popup : &combo, &event);
    };
    send(QEvent::KeyPress, 19);
    send(QEvent::KeyRelease, 19);
    send(QEvent::KeyPress, 0);
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[0], std::make_pair(19, true));
    EXPECT_EQ(keys[1], std::make_pair(19, false));
    EXPECT_EQ(keys.size(), 2u) << "an untranslatable key is not offered";

    combo.hidePopup();
    processEvents();
    tray.menu().hide();
    processEvents();
    EXPECT_EQ(reports, std::vector<bool>({true, false}));
    send(QEvent::KeyPress, 19);
    EXPECT_EQ(keys.size(), 2u) << "no popup open: keys are not routed";
    findAction(tray.menu(), "Settings…")->trigger();
    EXPECT_EQ(settingsOpened, 1);
}

} // namespace
} // namespace morvanta::testing
