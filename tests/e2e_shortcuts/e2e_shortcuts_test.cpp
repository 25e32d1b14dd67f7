// Global shortcuts end to end on a private Xvfb: key presses typed with XTEST reach Morvanta's
// key grabs, run the controller's commands, and the windows of the test client follow: Alt+2
// parks workspace 1's windows and Alt+1 brings them back; Alt+Shift+3 moves the focused one.
// Without a window manager and under Openbox.
#include "app/commands/preferences_shortcut_storage.h"
#include "app/commands/shortcut_actions.h"
#include "app/controller/tiling_controller.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/run_loop/qt_run_loop.h"
#include "shortcuts/x11/x11_hot_keys.h"
#include "tests/support/xtest_input.h"
#include "tests/x11/x11_desktop.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

namespace morvanta::testing {
namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "e2e_shortcuts_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class ShortcutsEndToEnd : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        application();
        ASSERT_TRUE(desktop.ok()) << desktop.error();
        hotKeys = std::make_unique<X11HotKeys>(desktop.server().display());
        ASSERT_TRUE(hotKeys->ok()) << hotKeys->error();
        center = std::make_unique<HotKeyCenter>(*hotKeys);
        keys = std::make_unique<KeyboardShortcuts>(storage, *center);
        actions = std::make_unique<ShortcutActions>(*keys, settings);
        controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings);
        controller->setLetterShortcuts(actions.get());
        loop.watch(desktop.system().eventDescriptor(),
                   [this] { desktop.system().dispatchPending(); });
        loop.watch(hotKeys->fileDescriptor(), [this] { hotKeys->dispatch(); });
        controller->start();
        actions->installShortcuts(*controller, {}, {});
        actions->setShortcutsEnabled(settings.shortcutsEnabled());
    }
    void TearDown() override {
        controller.reset();
        actions.reset();
        keys.reset();
        center.reset();
        hotKeys.reset();
    }

    // Runs the event loop until `condition` holds or the deadline passes.
    bool until(const std::function<bool()>& condition) {
        return waitFor(
            [&] {
                desktop.system().dispatchPending();
                hotKeys->dispatch();
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                return condition();
            },
            std::chrono::seconds(10));
    }
    std::string logText() const {
        std::string text;
        for (const auto& line : log.lines())
            text += line + "\n";
        return text;
    }
    std::optional<WindowID> idOf(const AXWindow& window) {
        return controller->registry().idFor(window);
    }
    bool tiledAndShown(const AXWindow& window) {
        const auto frame = window.frame();
        return idOf(window) && !controller->parker().isParked(window) && frame && frame->x >= 0 &&
               frame->y >= 0 && frame->x + frame->width <= 1920 && frame->y + frame->height <= 1080;
    }

    X11Desktop desktop{desktopOptions(GetParam())}; // with Openbox or without a window manager
    QtRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    PreferencesShortcutStorage storage{domain};
    std::unique_ptr<X11HotKeys> hotKeys;
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<KeyboardShortcuts> keys;
    std::unique_ptr<ShortcutActions> actions;
    std::unique_ptr<TilingController> controller;
};

TEST_P(ShortcutsEndToEnd, AltDigitsSwitchWorkspacesAndAltShiftDigitMovesTheFocusedWindow) {
    const auto a = desktop.open("a", 100, 100, 400, 300);
    const auto b = desktop.open("b", 200, 200, 400, 300);
    ASSERT_TRUE(until([&] { return tiledAndShown(a) && tiledAndShown(b); }));

    XTestInput typist(desktop.server().display());
    typist.type({XKB_KEY_Alt_L, XKB_KEY_2});
    ASSERT_TRUE(until(
        [&] { return controller->parker().isParked(a) && controller->parker().isParked(b); }));
    EXPECT_EQ(controller->currentNumber().get(), 2);

    typist.type({XKB_KEY_Alt_L, XKB_KEY_1});
    ASSERT_TRUE(until([&] { return tiledAndShown(a) && tiledAndShown(b); }));
    EXPECT_EQ(controller->currentNumber().get(), 1);

    // Let the focus the switch asked for arrive first, so that it cannot override ours.
    ASSERT_TRUE(until([&] {
        const auto focused = controller->manager().focused();
        return focused && desktop.system().windowList().focused() ==
                              controller->registry().windowFor(*focused);
    }));
    desktop.client().command("focus a");
    ASSERT_TRUE(until([&] { return desktop.system().windowList().focused() == a; }));
    typist.type({XKB_KEY_Alt_L, XKB_KEY_Shift_L, XKB_KEY_3});
    ASSERT_TRUE(until([&] {
        return controller->manager().workspaceNumberOf(*idOf(a)) == 3 &&
               controller->parker().isParked(a);
    })) << logText();
    // The window manager carries out b's new frame in its own time.
    EXPECT_TRUE(until([&] { return tiledAndShown(b); }));
    EXPECT_EQ(controller->currentNumber().get(), 1);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, ShortcutsEndToEnd, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? "Openbox" : "NoWindowManager";
                         });

} // namespace
} // namespace morvanta::testing
