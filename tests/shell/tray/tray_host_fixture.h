// The tray item in a real tray: a private Xvfb with trayer as the tray host (XEmbed) and Qt on
// that display without a session bus, so the tray is the XEmbed one, in a dark Fusion style. The
// fake desktop's controller shows workspace 4 of three windows; SetUp returns once the icon is
// embedded at the right end of the top edge.
#pragma once

#include "app/shell/tray/tray_item.h"
#include "tests/shell/tray/tray_fixture.h"
#include "tests/support/xvfb_server.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <gtest/gtest.h>
#include <memory>

namespace morvanta::testing {

class TrayHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ok()) << server.error();
        server.spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                      "--height", "28", "--transparent", "true", "--alpha", "0", "--tint",
                      "0x2d2d2d", "--SetDockType", "true"});
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        static int argc = 1;
        static char name[] = "morvanta";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(darkPalette());
        ASSERT_TRUE(pumpUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); },
                              std::chrono::seconds(10)));

        desktop = std::make_unique<TrayDesktop>();
        for (const char* title : {"a", "b", "c"})
            desktop->desktop.openWindow(desktop->editor, title, {10, 10, 300, 200});
        desktop->settings.setWorkspaceName("Mail", 2);
        desktop->startController();
        desktop->controller->commands().switchToWorkspace(4);
        item = std::make_unique<TrayItem>(*desktop->controller, desktop->settings, desktop->updater,
                                          TrayActions{});
        item->show();
        ASSERT_TRUE(pumpUntil(
            [&] {
                place = item->systemTrayIcon().geometry();
                return place.width() > 0 && place.left() > 512;
            },
            std::chrono::seconds(10)));
    }
    void TearDown() override {
        item.reset();
        desktop.reset();
    }

    static bool pumpUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds deadline) {
        return waitFor(
            [&] {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                return condition();
            },
            deadline, std::chrono::milliseconds(10));
    }
    // Opens the tray's menu below the icon; answers whether it showed.
    bool openMenu() {
        QMenu& menu = item->menu().menu();
        menu.popup(QPoint(place.right() - 260, place.bottom() + 2));
        return pumpUntil([&] { return menu.isVisible() && menu.width() > 100; },
                         std::chrono::seconds(5));
    }
    static QImage grab(const QRect& area) {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .toImage();
    }

    static QPalette darkPalette() {
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

    static XvfbOptions smallScreen() {
        XvfbOptions options;
        options.width = 1024;
        options.height = 640;
        return options;
    }

    XvfbServer server{smallScreen()};
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TrayDesktop> desktop;
    std::unique_ptr<TrayItem> item;
    // Where the icon is embedded.
    QRect place;
};

} // namespace morvanta::testing
