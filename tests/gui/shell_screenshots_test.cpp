// Renders the layout cards and the diagnostics window for people to look at (the pictures in
// docs/images come from here). Checks only that the files were written.
#include "app/diagnostics/diagnostics_log.h"
#include "app/shell/diagnostics_view.h"
#include "app/shell/layout_card.h"
#include "tests/gui/gui_application.h"
#include "tests/support/widget_screenshot.h"

#include <QHBoxLayout>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

TEST(ShellScreenshots, LayoutCards) {
    testing::guiApplication();
    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    for (LayoutKind kind : allLayoutKinds)
        layout->addWidget(new LayoutCard(kind, kind == LayoutKind::mainStack, {}));
    row.resize(row.sizeHint());
    row.show();
    EXPECT_TRUE(testing::saveScreenshot(row, "layout-cards.png"));
}

TEST(ShellScreenshots, DiagnosticsWindow) {
    testing::guiApplication();
    DiagnosticsLog log(std::nullopt);
    for (const char* line :
         {"Morvanta 0.1.0 started.", "Displays: 1 (DP-1 2560×1440)",
          "New windows: xterm — “~”, Firefox — “Morvanta”", "Layout of workspace 1: Columns",
          "Switched to workspace 3", "Moved Firefox — “Morvanta” to workspace 2",
          "⚠️ xclock — “xclock” refused to shrink below (0, 0 164×164)",
          "Tiling paused.", "Tiling resumed."})
        log.append(line);
    DiagnosticsView view(log);
    view.setStatus({true, false, "3"});
    view.resize(640, 320);
    view.show();
    EXPECT_TRUE(testing::saveScreenshot(view, "diagnostics-window.png"));

    view.setStatus({false, false, "1"});
    EXPECT_TRUE(testing::saveScreenshot(view, "diagnostics-window-no-session.png"));
}

} // namespace
} // namespace morvanta
