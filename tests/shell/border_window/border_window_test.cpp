// The ring window: a window the compositor may place but never hand input or the activation to,
// captioned for the KWin script to find, drawing the ring at whatever size it is given and
// nothing while the ring is hidden.
#include "app/shell/border_window/border_window.h"
#include "tests/support/gui_application.h"

#include <QApplication>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

using testing::nearColor;

QImage grabbed(BorderWindow& window) {
    return window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(BorderWindowTest, IsAClickThroughToolWindowNeverActivatedAndCaptionedForTheScript) {
    testing::guiApplication();
    BorderWindow window;
    const auto flags = window.windowFlags();
    for (const auto flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint,
                            Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus})
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(window.windowTitle().toStdString(), borderSurfaceCaption);
    EXPECT_FALSE(window.isVisible()); // mapped only when a ring first shows
}

TEST(BorderWindowTest, DrawsTheRingAtItsOwnSizeAndNothingWhileHidden) {
    testing::guiApplication();
    BorderWindow window;
    window.setRing({120, 80}, 4, 8, {1, 0, 0, 1});
    window.showRing();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(120, 80));

    QImage image = grabbed(window);
    EXPECT_TRUE(nearColor(image.pixelColor(60, 1), Qt::red));   // top edge
    EXPECT_TRUE(nearColor(image.pixelColor(118, 40), Qt::red)); // right edge
    EXPECT_EQ(image.pixelColor(60, 40).alpha(), 0);             // the window inside shows
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);               // a rounded corner
    EXPECT_EQ(image.pixelColor(60, 6).alpha(), 0);              // just inside the ring

    // The compositor gives another size: the ring fills it.
    window.resize(200, 100);
    image = grabbed(window);
    EXPECT_TRUE(nearColor(image.pixelColor(150, 98), Qt::red));
    EXPECT_EQ(image.pixelColor(100, 50).alpha(), 0);

    window.hideRing();
    EXPECT_TRUE(window.isVisible()); // still mapped: the compositor keeps the same window
    image = grabbed(window);
    EXPECT_EQ(image.pixelColor(150, 98).alpha(), 0);
    EXPECT_EQ(image.pixelColor(100, 1).alpha(), 0);
}

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

int paintsAfter(PaintCounter& counter, const std::function<void()>& act) {
    QApplication::processEvents();
    counter.paints = 0;
    act();
    QApplication::processEvents();
    return counter.paints;
}

// Each repaint costs the compositor's client a buffer the size of the window, and the ring is
// set again on every focus and frame change: the same ring again must repaint nothing.
TEST(BorderWindowTest, RepaintsOnlyWhenTheRingChanges) {
    testing::guiApplication();
    BorderWindow window;
    PaintCounter counter;
    window.installEventFilter(&counter);
    window.setRing({120, 80}, 4, 8, {1, 0, 0, 1});
    window.showRing();

    EXPECT_EQ(paintsAfter(counter,
                          [&] {
                              window.setRing({120, 80}, 4, 8, {1, 0, 0, 1});
                              window.showRing();
                          }),
              0);
    EXPECT_GE(paintsAfter(counter, [&] { window.setRing({120, 80}, 4, 8, {0, 0, 1, 1}); }), 1);
    EXPECT_GE(paintsAfter(counter, [&] { window.setRing({120, 80}, 6, 8, {0, 0, 1, 1}); }), 1);
    EXPECT_GE(paintsAfter(counter, [&] { window.hideRing(); }), 1);
    // Hidden: neither hiding again nor a new style draws; showing draws the newest style.
    EXPECT_EQ(paintsAfter(counter,
                          [&] {
                              window.hideRing();
                              window.setRing({120, 80}, 4, 8, {0, 1, 0, 1});
                          }),
              0);
    EXPECT_GE(paintsAfter(counter, [&] { window.showRing(); }), 1);
    EXPECT_TRUE(nearColor(grabbed(window).pixelColor(60, 1), Qt::green));
}

} // namespace
} // namespace morvanta
