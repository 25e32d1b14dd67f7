// The tray item in a real tray: a private Xvfb with trayer as the tray host (XEmbed), Qt on
// that display. The icon must be embedded and show the workspace label; the open menu is saved
// as a screenshot for people to look at.
#include "app/shell/tray/tray_item.h"
#include "tests/shell/tray/tray_fixture.h"
#include "tests/support/xvfb_server.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <filesystem>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    return waitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            return condition();
        },
        deadline, std::chrono::milliseconds(10));
}

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Base, QColor(0x25, 0x25, 0x25));
    palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    palette.setColor(QPalette::Highlight, QColor(0x2a, 0x8f, 0xd8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x90, 0x90, 0x90));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x90, 0x90, 0x90));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x90, 0x90, 0x90));
    palette.setColor(QPalette::Disabled, QPalette::Light, QColor(0x2d, 0x2d, 0x2d));
    return palette;
}

TEST(TrayHost, IconShowsInTheTrayAndTheMenuOpens) {
    XvfbOptions options;
    options.width = 1024;
    options.height = 640;
    XvfbServer server(options);
    ASSERT_TRUE(server.ok()) << server.error();
    server.spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                  "--height", "28", "--transparent", "true", "--alpha", "0", "--tint", "0x2d2d2d",
                  "--SetDockType", "true"});

    // Qt on the private display, without a session bus, so the tray is the XEmbed one.
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    static int argc = 1;
    static char name[] = "morvanta";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(darkPalette());
    ASSERT_TRUE(pumpUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); },
                          std::chrono::seconds(10)));

    TrayDesktop d;
    for (const char* title : {"a", "b", "c"})
        d.desktop.openWindow(d.app, title, {10, 10, 300, 200});
    d.settings.setWorkspaceName("Mail", 2);
    d.start();
    d.controller->commands().switchToWorkspace(4);
    TrayItem item(*d.controller, d.settings, d.updater, {});
    item.show();
    // Embedded in the panel at the right end of the top edge.
    ASSERT_TRUE(pumpUntil(
        [&] {
            const QRect place = item.systemTrayIcon().geometry();
            return place.width() > 0 && place.left() > 512;
        },
        std::chrono::seconds(10)));
    const QRect place = item.systemTrayIcon().geometry();
    EXPECT_LE(place.top(), 28);

    // The embedded icon shows the white filled cell of workspace 4.
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(pumpUntil(
        [&] {
            const QImage shot =
                screen->grabWindow(0, place.x(), place.y(), place.width(), place.height())
                    .toImage();
            int white = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    white += shot.pixelColor(x, y).lightness() > 245;
            return white > place.width() * place.height() / 5;
        },
        std::chrono::seconds(10)));

    QMenu& menu = item.menu().menu();
    menu.popup(QPoint(place.right() - 260, place.bottom() + 2));
    ASSERT_TRUE(
        pumpUntil([&] { return menu.isVisible() && menu.width() > 100; }, std::chrono::seconds(5)));
    pumpUntil([] { return false; }, std::chrono::milliseconds(300)); // let it paint
    const QRect area = QRect(menu.geometry().left() - 20, 0, 0, 0)
                           .united(menu.geometry().adjusted(-20, 0, 20, 20))
                           .united(place.adjusted(-20, 0, 20, 0))
                           .intersected(screen->geometry());
    const QImage picture =
        screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    std::filesystem::create_directories(MORVANTA_SCREENSHOT_DIR);
    EXPECT_TRUE(picture.save(MORVANTA_SCREENSHOT_DIR "/tray-menu.png"));
    menu.hide();
}

} // namespace
} // namespace morvanta::testing
