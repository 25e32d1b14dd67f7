// The auxiliary windows: one window per identifier, kept when closed; a window opened for fresh
// content starts anew on each opening after a close (no page or message left from last time)
// but not while it is still open; closeAll ends every window and its content at once.
#include "app/shell/application/app_windows.h"
#include "tests/support/gui_application.h"

#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>

namespace morvanta::testing {
namespace {

TEST(AppWindows, FreshContentOnReopenOnlyWhereAskedAndCloseAllEndsEverything) {
    guiApplication();
    AppWindows windows;
    int made = 0;
    const AppWindows::Make make = [&made] {
        return std::make_unique<QLabel>(QString("content %1").arg(++made));
    };
    QWidget& settings =
        windows.open("settings", "Settings", make, {400, 300}, AppWindows::Reopen::freshContent);
    QPointer<QWidget> first = windows.content("settings");
    EXPECT_EQ(made, 1);
    windows.open("settings", "Settings", make, {400, 300}, AppWindows::Reopen::freshContent);
    EXPECT_EQ(made, 1) << "still open: brought forward as it is";

    windows.close("settings");
    QWidget& again =
        windows.open("settings", "Settings", make, {400, 300}, AppWindows::Reopen::freshContent);
    EXPECT_EQ(&again, &settings) << "the same window";
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(first.isNull()) << "the old content ended";
    EXPECT_EQ(static_cast<QLabel*>(windows.content("settings"))->text(), "content 2");

    windows.open("guide", "Guide", make, {400, 300});
    windows.close("guide");
    windows.open("guide", "Guide", make, {400, 300});
    EXPECT_EQ(made, 3) << "kept content is not made again";

    QPointer<QWidget> guide = windows.window("guide");
    QPointer<QWidget> content = windows.content("settings");
    windows.closeAll();
    EXPECT_TRUE(guide.isNull());
    EXPECT_TRUE(content.isNull());
    EXPECT_EQ(windows.window("settings"), nullptr);
}

} // namespace
} // namespace morvanta::testing
