// The layout cards and the diagnostics window, for people to look at (docs/images/layout-cards.png
// and diagnostics-window*.png come from here). The diagnostics window shows the log of a real
// run: the launch line and the tiling controller's own lines as it tiles a fake desktop.
#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/application/app_delegate.h"
#include "app/shell/widgets/diagnostics_view.h"
#include "app/shell/widgets/layout_card.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_window_system.h"
#include "screenshots/screenshot_folder.h"
#include "tests/support/gui_application.h"

#include <QHBoxLayout>
#include <chrono>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;

// A launch of Morvanta on one 2560×1440 screen with a terminal and a browser open, logging as
// the program does.
struct LoggedRun {
    explicit LoggedRun(bool trusted) {
        log.append(AppDelegate::launchLine());
        desktop.addScreen(FakeDesktop::makeScreen("DP-1", {0, 0, 2560, 1440}));
        desktop.setTrusted(trusted);
        const auto xterm = desktop.addApp("xterm", "XTerm");
        const auto firefox = desktop.addApp("Firefox", "firefox");
        desktop.openWindow(xterm, "~", {40, 40, 800, 500});
        browser = desktop.openWindow(firefox, "Morvanta", {200, 100, 1200, 900});
        controller.start();
        loop.advance(300ms);
    }
    // What a user does in a few minutes: move the browser away, change a layout, switch,
    // pause and resume.
    void use() {
        desktop.focus(browser);
        loop.advance(200ms);
        controller.commands().moveFocusedWindow(2);
        controller.commands().setLayout(LayoutKind::columns);
        controller.commands().switchToWorkspace(2);
        controller.commands().setPaused(true);
        controller.commands().setPaused(false);
        loop.advance(300ms);
    }

    FakeDesktop desktop;
    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    TilingController controller{desktop.system(), loop, log, settings};
    AXWindow browser;
};

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
    LoggedRun run(true);
    run.use();
    DiagnosticsView view(run.log);
    view.setStatus({true, false, "2"});
    view.resize(640, 320);
    view.show();
    EXPECT_TRUE(testing::saveScreenshot(view, "diagnostics-window.png"));

    LoggedRun waiting(false);
    DiagnosticsView noSession(waiting.log);
    noSession.setStatus({false, false, "1"});
    noSession.resize(640, 320);
    noSession.show();
    EXPECT_TRUE(testing::saveScreenshot(noSession, "diagnostics-window-no-session.png"));
}

} // namespace
} // namespace morvanta
