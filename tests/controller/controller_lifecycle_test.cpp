// Start, the permission wait, the debounced refresh, the start-up rescue, stop, and the
// controller going away while the desktop, the loop and the settings live on.
#include "app/controller/controller_texts.h"
#include "ax/window_parker.h"
#include "tests/support/fake_desktop_controller.h"

namespace morvanta::testing {
namespace {

using ControllerTest = FakeDesktopControllerTest;

TEST_F(ControllerTest, StartTwiceStartsOnce) {
    auto& c = startController();
    c.start();
    EXPECT_EQ(countLogged("Tiling started."), 1);
    EXPECT_TRUE(c.isRunning().get());
}

TEST_F(ControllerTest, WaitsForPermissionPollingEverySecondThenStartsAlone) {
    desktop.setTrusted(false);
    auto& c = startController();
    loop.advance(3500ms);
    EXPECT_EQ(countLogged(std::string(ControllerTexts::waitingForPermission)), 1);
    EXPECT_FALSE(c.isRunning().get());
    EXPECT_FALSE(c.isTrusted().get());
    EXPECT_EQ(loop.pendingCount(), 1u); // the poll, nothing else

    desktop.setTrusted(true);
    loop.advance(1s);
    EXPECT_TRUE(c.isTrusted().get());
    EXPECT_TRUE(c.isRunning().get());
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              std::string(ControllerTexts::waitingForPermission),
                              std::string(ControllerTexts::permissionGranted), "Tiling started.",
                              std::string(ControllerTexts::noWindowsAfterPermission)}));
    EXPECT_EQ(loop.pendingCount(), 0u); // the poll ended
}

TEST_F(ControllerTest, RequestingPermissionPromptsOpensSettingsAndPollsUntilGranted) {
    desktop.setTrusted(false);
    auto& c = makeController(); // the welcome guide asks before anything started
    c.requestPermission();
    c.requestPermission();
    EXPECT_EQ(desktop.trustPrompts(), 2);
    EXPECT_EQ(desktop.settingsOpened(), 2);
    EXPECT_FALSE(c.isTrusted().get());
    EXPECT_EQ(loop.pendingCount(), 1u); // one poll however often it is asked
    loop.advance(2500ms);
    EXPECT_FALSE(c.isRunning().get());
    EXPECT_TRUE(messages().empty());

    open(editor, "a");
    desktop.setTrusted(true);
    loop.advance(1s);
    EXPECT_TRUE(c.isTrusted().get());
    EXPECT_TRUE(c.isRunning().get());
    EXPECT_EQ(messages(),
              (std::vector<std::string>{std::string(ControllerTexts::permissionGranted),
                                        "Tiling started.", "New windows: Editor — “a”."}));
    EXPECT_EQ(loop.pendingCount(), 0u);

    // Asked while trusted: the prompt answers yes, no settings open, the poll ends at once.
    c.requestPermission();
    EXPECT_EQ(desktop.trustPrompts(), 3);
    EXPECT_EQ(desktop.settingsOpened(), 2);
    EXPECT_TRUE(c.isTrusted().get());
    loop.advance(1s);
    EXPECT_EQ(loop.pendingCount(), 0u);
    EXPECT_EQ(countLogged("Tiling started."), 1);
}

TEST_F(ControllerTest, FiveEventsWithin50msGiveOneRefresh60msAfterTheLast) {
    startController();
    clearLog();
    for (int i = 0; i < 5; ++i) {
        open(editor, "w" + std::to_string(i));
        if (i < 4)
            loop.advance(10ms);
    }
    loop.advance(59ms);
    EXPECT_TRUE(messages().empty());
    loop.advance(1ms);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"New windows: Editor — “w4”, Editor — “w3”, Editor — “w2”, "
                                       "Editor — “w1”, Editor — “w0”."});
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(ControllerTest, DisplaysAreOrderedByAreaEqualAreasInPlatformOrder) {
    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 1920, 1080}));
    desktop.addScreen(FakeDesktop::makeScreen("S3", {3120, 0, 1920, 1080}));
    auto& c = startController();
    EXPECT_EQ(c.manager().displays(), (std::vector<DisplayID>{{"S2"}, {"S3"}, {"S1"}}));
}

TEST_F(ControllerTest, RescueRestoresMarkedWindowsExactlyAndCentresCornerWindows) {
    const auto a = open(editor, "a", {100, 100, 500, 400});
    const auto b = open(editor, "b", {150, 120, 450, 300});
    {
        // An earlier run parked two windows and was killed.
        WindowParker earlier(desktop.system().screenSource(), desktop.system().windowAccess());
        earlier.park(a);
        earlier.park(b);
    }
    const auto c = open(term, "c", {1198, 700, 400, 300}); // in the corner, no mark
    desktop.clearOperations();
    startController();
    EXPECT_EQ(messages().front(), "Rescuing 3 window(s) left in a screen corner: Editor — “a”, "
                                  "Editor — “b”, Terminal — “c”.");
    const auto requested = [&](const AXWindow& w) {
        for (const auto& op : desktop.operations())
            if (op.window == w.id() && op.kind == FakeOperation::Kind::setFrame)
                return op.requested;
        return std::optional<Rect>{};
    };
    EXPECT_EQ(requested(a), (Rect{100, 100, 500, 400}));
    EXPECT_EQ(requested(b), (Rect{150, 120, 450, 300}));
    EXPECT_EQ(requested(c), (Rect{400, 250, 400, 300}));
    EXPECT_FALSE(desktop.parkMarkOf(a));
    EXPECT_FALSE(desktop.parkMarkOf(b));
}

TEST_F(ControllerTest, StopBringsBackEveryParkedWindowAndCountsThem) {
    auto& c = startController();
    std::vector<AXWindow> windows;
    for (const char* title : {"a", "b", "c"})
        windows.push_back(open(editor, title));
    settle();
    std::vector<Rect> tiled;
    for (const auto& w : windows)
        tiled.push_back(frame(w));
    c.commands().switchToWorkspace(2);
    EXPECT_EQ(c.parker().count(), 3);
    c.stop();
    EXPECT_TRUE(logged("Tiling stopped; brought back 3 hidden window(s)."));
    EXPECT_FALSE(c.isRunning().get());
    for (std::size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(frame(windows[i]), tiled[i]);
    // Stopped: events no longer refresh.
    clearLog();
    open(editor, "d");
    settle();
    EXPECT_TRUE(messages().empty());
}

TEST_F(ControllerTest, NothingRunsAfterTheControllerIsGone) {
    startController();
    open(editor, "a"); // a refresh is pending
    mouse->press({10, 10});
    mouse->release(); // a drag examination is pending
    controller.reset();
    EXPECT_EQ(loop.pendingCount(), 0u);
    settings.setMainRatio(0.7); // the settings' change handler is gone
    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 800, 600}));
    open(editor, "b");
    loop.advance(1s);
    EXPECT_FALSE(settings.onChange);
}

} // namespace
} // namespace morvanta::testing
