// The tray item where the desktop's tray is a status notifier host (KDE Plasma, on Wayland as on
// X11): with a StatusNotifierWatcher on the session bus, Qt publishes the item over D-Bus
// instead of embedding a window. A watcher of the test's own, on a private bus and in a thread of
// its own (the item answers from the main thread), takes the registration and reads the item's
// icon, tooltip and menu the way Plasma's panel does.
#include "app/shell/tray/tray_item.h"
#include "tests/shell/tray/tray_fixture.h"
#include "tests/support/session_bus.h"
#include "tests/support/xvfb_server.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QImage>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;

constexpr auto watcherName = "org.kde.StatusNotifierWatcher";

// Plays the panel's StatusNotifierWatcher: a host is registered, and items register here.
class FakeWatcher : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override {
        return R"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
</interface>)";
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == "RegisterStatusNotifierItem" && !message.arguments().isEmpty()) {
            // An item names its bus name, or only its object path (then its sender is the name).
            QString item = message.arguments().first().toString();
            if (item.startsWith('/'))
                item = message.service();
            std::lock_guard lock(mutex_);
            items_.push_back(item);
        } else if (member == "Get" && message.arguments().size() == 2) {
            const QString property = message.arguments().at(1).toString();
            QVariant value;
            if (property == "IsStatusNotifierHostRegistered")
                value = true;
            else if (property == "ProtocolVersion")
                value = 0;
            else
                value = QStringList(registered());
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            return true;
        } else if (member != "RegisterStatusNotifierHost") {
            return false;
        }
        connection.send(message.createReply());
        return true;
    }
    QStringList registered() const {
        std::lock_guard lock(mutex_);
        return items_;
    }

private:
    mutable std::mutex mutex_;
    QStringList items_;
};

// The fields of one (iiay) structure: an ARGB32 image in network byte order.
QImage readPixmap(const QDBusArgument& argument) {
    int width = 0, height = 0;
    QByteArray bytes;
    argument.beginStructure();
    argument >> width >> height >> bytes;
    argument.endStructure();
    if (width <= 0 || height <= 0 || bytes.size() < width * height * 4)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + (y * width + x) * 4;
            image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
        }
    return image;
}

// The largest image of an a(iiay) array.
QImage largestPixmap(const QDBusArgument& argument) {
    QImage largest;
    argument.beginArray();
    while (!argument.atEnd()) {
        const QImage image = readPixmap(argument);
        if (image.width() > largest.width())
            largest = image;
    }
    argument.endArray();
    return largest;
}

class TraySniTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ok()) << server.error();
        ASSERT_TRUE(bus.ok());
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
        static int argc = 1;
        static char name[] = "morvanta";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        // The watcher's connection and object live in their own thread: the item's blocking
        // questions to it come from the main thread.
        watcherThread.start();
        watcher.moveToThread(&watcherThread);
        panel = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel"));
        ASSERT_TRUE(panel->isConnected());
        ASSERT_TRUE(panel->registerVirtualObject("/StatusNotifierWatcher", &watcher));
        ASSERT_TRUE(panel->registerService(watcherName));
        // Qt looks for a host once, here, before the first tray item.
        ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
        desktop = std::make_unique<TrayDesktop>();
        for (const char* title : {"a", "b", "c"})
            desktop->desktop.openWindow(desktop->editor, title, {10, 10, 300, 200});
        desktop->startController();
        desktop->controller->commands().switchToWorkspace(4);
        item = std::make_unique<TrayItem>(*desktop->controller, desktop->settings, desktop->updater,
                                          TrayActions{});
        item->show();
    }
    void TearDown() override {
        item.reset();
        desktop.reset();
        app.reset();
        if (panel) {
            panel->unregisterObject("/StatusNotifierWatcher");
            QDBusConnection::disconnectFromBus("panel");
        }
        watcherThread.quit();
        watcherThread.wait();
    }

    bool pumpUntil(const std::function<bool()>& condition) {
        return waitFor(
            [&] {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                return condition();
            },
            10s, 10ms);
    }
    // Asks the registered item for a property without blocking the main thread, which answers.
    QVariant itemProperty(const QString& service, const QString& property) {
        auto call = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                   "org.freedesktop.DBus.Properties", "Get");
        call << QString("org.kde.StatusNotifierItem") << property;
        QDBusPendingCall pending = panel->asyncCall(call);
        if (!pumpUntil([&] { return pending.isFinished(); }) || pending.isError())
            return {};
        return pending.reply().arguments().value(0).value<QDBusVariant>().variant();
    }

    XvfbServer server;
    SessionBus bus;
    QThread watcherThread;
    FakeWatcher watcher;
    std::unique_ptr<QDBusConnection> panel;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TrayDesktop> desktop;
    std::unique_ptr<TrayItem> item;
};

TEST_F(TraySniTest, ItemRegistersWithTheWatcherAndShowsTheWorkspace) {
    ASSERT_TRUE(pumpUntil([&] { return !watcher.registered().isEmpty(); }));
    const QString service = watcher.registered().first();

    // The icon is the filled cell of the current workspace, in white on Plasma's dark panel or
    // in black on a light one: either way a solid part of the largest image.
    const QVariant pixmaps = itemProperty(service, "IconPixmap");
    ASSERT_TRUE(pixmaps.canConvert<QDBusArgument>());
    const QImage icon = largestPixmap(pixmaps.value<QDBusArgument>());
    ASSERT_FALSE(icon.isNull());
    int solid = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            solid += qAlpha(icon.pixel(x, y)) > 200;
    EXPECT_GT(solid, icon.width() * icon.height() / 3);

    // The tooltip names the workspace, and the menu is published for the panel to open.
    const QVariant tooltip = itemProperty(service, "ToolTip");
    ASSERT_TRUE(tooltip.canConvert<QDBusArgument>());
    const auto argument = tooltip.value<QDBusArgument>();
    QString iconName, title, text;
    argument.beginStructure();
    argument >> iconName;
    argument.beginArray();
    while (!argument.atEnd())
        readPixmap(argument);
    argument.endArray();
    argument >> title >> text;
    argument.endStructure();
    EXPECT_TRUE((title + text).contains("Morvanta, workspace 4"))
        << title.toStdString() << " / " << text.toStdString();
    const QVariant menu = itemProperty(service, "Menu");
    EXPECT_FALSE(menu.value<QDBusObjectPath>().path().isEmpty());
}

} // namespace
} // namespace morvanta::testing
