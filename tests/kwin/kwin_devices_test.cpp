// The KWin backend's devices over the fake script: the focus border's ring window placed by the
// script (once per change, left to the script while the user moves its window, told again to a
// new script instance), the user's moves standing in for the mouse, the placement of Morvanta's
// own windows, and the tiling controller's drag to swap and drag to resize on them.
#include "app/controller/manual_run_loop.h"
#include "app/controller/tiling_controller.h"
#include "app/settings/memory_preferences_domain.h"
#include "ax/fake/fake_frame_timer.h"
#include "ax/kwin/kwin_border_overlay.h"
#include "ax/kwin/kwin_mouse_monitor.h"
#include "ax/kwin/kwin_own_window_placer.h"
#include "tests/kwin/kwin_fixture.h"

namespace morvanta::testing {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

// The ring window as the shell's surface would be: what it was last asked to draw.
struct RecordingSurface final : BorderSurface {
    void setRing(const Size& s, double w, double r, const BorderColor& c) override {
        size = s;
        width = w;
        radius = r;
        color = c;
        ++rings;
    }
    void showRing() override { shown = true; }
    void hideRing() override { shown = false; }

    Size size;
    double width = 0, radius = 0;
    BorderColor color;
    bool shown = false;
    int rings = 0;
};

Rect grown(const Rect& r, double by) {
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

class KWinDevicesTest : public KWinTest {
protected:
    // Morvanta's ring window, as the shell's surface maps it (never activated).
    std::string openRing() {
        return script.openWindow(
            {.pid = ownPid, .caption = std::string(borderSurfaceCaption) + " — Morvanta"}, false);
    }
    std::vector<json> borderCommands() const {
        std::vector<json> found;
        for (const auto& batch : script.batches)
            for (const auto& command : batch["commands"])
                if (command["op"] == "border")
                    found.push_back(command);
        return found;
    }
    // Sends what is queued, and reads the script's answer.
    void dispatch() {
        system->dispatchPending();
        system->dispatchPending();
    }

    RecordingSurface surface;
};

TEST_F(KWinDevicesTest, TheScriptPlacesTheRingOncePerChangeAndHidesItFromTheWindowList) {
    start();
    const auto ring = openRing();
    const auto a = open(editor, "A", {100, 100, 600, 400});
    dispatch();
    ASSERT_TRUE(system->state().find(ring));
    KWinBorderOverlay border(*system, surface);

    ASSERT_TRUE(border.show(handle(a)));
    dispatch();
    ASSERT_TRUE(script.ring());
    EXPECT_EQ(script.ring()->frame, grown({100, 100, 600, 400}, 4));
    EXPECT_EQ(system->state().find(ring), nullptr); // out of Morvanta's picture
    EXPECT_TRUE(surface.shown);
    EXPECT_EQ(surface.size, (Size{608, 408}));
    EXPECT_EQ(borderCommands(), std::vector<json>{json::parse(R"(
        {"op": "border", "pid": 100, "caption": "Morvanta focus border",
         "frame": [96, 96, 608, 408], "around": "{window-2}", "outset": 4.0})")});

    border.show(handle(a)); // nothing new: nothing sent
    dispatch();
    EXPECT_EQ(borderCommands().size(), 1u);

    border.setWidth(6);
    EXPECT_EQ(surface.width, 6);
    border.show(handle(a));
    dispatch();
    EXPECT_EQ(script.ring()->frame, grown({100, 100, 600, 400}, 6));
    EXPECT_EQ(borderCommands().back()["outset"], 6.0);

    border.hide();
    dispatch();
    EXPECT_FALSE(surface.shown);
    EXPECT_EQ(borderCommands().back()["frame"], nullptr);
    EXPECT_EQ(borderCommands().back()["around"], nullptr);
    script.userMove(a, {0, 0, 600, 400}); // a hidden ring follows nothing
    dispatch();
    EXPECT_EQ(script.ring()->frame, grown({100, 100, 600, 400}, 6));
    EXPECT_EQ(borderCommands().size(), 3u);
}

TEST_F(KWinDevicesTest, WhileTheUserMovesItsWindowOnlyTheScriptMovesTheRing) {
    start();
    openRing();
    const auto a = open(editor, "A", {100, 100, 600, 400});
    dispatch();
    KWinBorderOverlay border(*system, surface);
    border.show(handle(a));
    dispatch();

    script.userMoveStart(a, {300, 300});
    script.userMoveStep(a, {150, 120, 600, 400}, {350, 320});
    dispatch();
    EXPECT_EQ(script.ring()->frame, grown({150, 120, 600, 400}, 4));
    border.render({170, 130, 600, 400}); // a drag tracker's prediction: the script knows better
    border.show(handle(a));
    dispatch();
    EXPECT_EQ(borderCommands().size(), 1u);

    script.userMoveEnd(a, {350, 320});
    dispatch();
    border.show(handle(a)); // after the drag: Morvanta's frame is the true one again
    dispatch();
    ASSERT_EQ(borderCommands().size(), 2u);
    EXPECT_EQ(borderCommands().back()["frame"], json::parse("[146, 116, 608, 408]"));

    // A new script instance knows nothing of the ring: the same placement is told again.
    script.restartKWin();
    dispatch();
    border.show(handle(a));
    dispatch();
    EXPECT_EQ(borderCommands().size(), 3u);
}

TEST_F(KWinDevicesTest, TheUsersMovesStandForTheLeftButton) {
    start();
    const auto a = open(editor, "A", {100, 100, 600, 400});
    const auto b = open(term, "B", {700, 100, 600, 400});
    dispatch();
    KWinMouseMonitor mouse(*system);
    std::vector<MouseEvent> events;
    const auto listener = mouse.addListener([&](MouseEvent e) { events.push_back(e); });
    using enum MouseEvent;

    script.userMoveStart(a, {300, 110});
    script.userMoveStep(a, {120, 100, 600, 400}, {320, 110});
    script.userMoveStep(a, {140, 100, 600, 400}, {340, 110}); // one step per dispatch
    dispatch();
    EXPECT_EQ(events, (std::vector{leftDown, leftDragged}));
    EXPECT_EQ(mouse.location(), (Point{340, 110}));
    script.userMoveStep(b, {710, 100, 600, 400}, {900, 900}); // another window's news
    script.userMoveEnd(b, {900, 900});
    script.userMoveEnd(a, {345, 112});
    dispatch();
    EXPECT_EQ(events, (std::vector{leftDown, leftDragged, leftUp}));
    EXPECT_EQ(mouse.location(), (Point{345, 112}));

    // A move the script never saw finish (it restarted) ends with the new instance's hello.
    events.clear();
    script.userMoveStart(b, {800, 110});
    dispatch();
    script.restartKWin();
    dispatch();
    EXPECT_EQ(events, (std::vector{leftDown, leftUp}));

    // Not listening: nothing is kept for later, but a release still ends the move.
    mouse.removeListener(listener);
    script.userMoveStart(a, {300, 110});
    dispatch();
    events.clear();
    mouse.addListener([&](MouseEvent e) { events.push_back(e); });
    script.userMoveEnd(a, {300, 110});
    dispatch();
    EXPECT_EQ(events, (std::vector{leftUp}));
}

TEST_F(KWinDevicesTest, WithoutThePointerTheMovedWindowsCentreStandsForItAndNoSystemNone) {
    start();
    const auto a = open(editor, "A", {100, 100, 600, 400});
    dispatch();
    KWinMouseMonitor mouse(*system);
    int ups = 0;
    mouse.addListener([&](MouseEvent e) { ups += e == MouseEvent::leftUp; });
    script.userMove(a, {700, 100, 600, 400}); // a script that sends no pointer
    dispatch();
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(mouse.location(), (Point{1000, 300}));
    system.reset(); // the monitor outlives its system: quiet, and safe to ask
    EXPECT_EQ(mouse.location(), (Point{}));
}

TEST_F(KWinDevicesTest, MorvantasPanelIsCentredOnTheScreenUnderThePointer) {
    script.setScreens({{"Virtual-1", {0, 0, 1600, 1000}, {0, 0, 1600, 960}, ""},
                       {"Virtual-2", {1600, 0, 1280, 1024}, {1600, 24, 1280, 1000}, ""}});
    start();
    const auto panel = open(ownPid, "Morvanta command panel", {0, 0, 620, 420});
    const auto other = open(term, "Morvanta command panel", {0, 0, 620, 420});
    dispatch();
    script.cursor = {2000, 500};
    KWinOwnWindowPlacer placer(*system);
    placer.centreOnPointerScreen("Morvanta command panel", 0.18);
    dispatch();
    EXPECT_EQ(script.window(panel).frame, (Rect{1930, 204, 620, 420}));
    EXPECT_EQ(script.active(), panel);
    EXPECT_EQ(script.window(other).frame, (Rect{0, 0, 620, 420}));
}

// The controller with the KWin devices: the ring on the focused window, and the user's drags.
class KWinDragTest : public KWinDevicesTest {
protected:
    ~KWinDragTest() override {
        controller.reset();
        loop.cancel(watch);
    }
    void startController() {
        start();
        openRing();
        watch = loop.watch(system->eventDescriptor(), [this] { system->dispatchPending(); });
        ControllerDevices devices;
        devices.border = std::make_unique<KWinBorderOverlay>(*system, surface);
        devices.mouse = std::make_unique<KWinMouseMonitor>(*system);
        devices.frameTimer = std::make_unique<FakeFrameTimer>();
        controller =
            std::make_unique<TilingController>(*system, loop, log, settings, std::move(devices));
        controller->start();
        pump();
    }
    void pump() {
        for (int i = 0; i < 20; ++i) {
            loop.pollDescriptors();
            loop.advance(50ms);
        }
    }
    Rect frameOf(const std::string& id) { return script.window(id).frame; }
    // The user drags `id` to `to`, the pointer going from `from` to `pointer`, and lets go.
    void drag(const std::string& id, const Rect& to, Point from, Point pointer) {
        script.userMoveStart(id, from);
        pump();
        script.userMoveStep(id, to, pointer);
        pump();
        script.userMoveEnd(id, pointer);
        pump();
    }

    ManualRunLoop loop;
    DiagnosticsLog log{std::nullopt};
    MemoryPreferencesDomain domain;
    AppSettings settings{domain};
    std::unique_ptr<TilingController> controller;
    RunLoop::TaskID watch = 0;
};

TEST_F(KWinDragTest, DraggingAWindowOntoAnotherSwapsThemAndTheRingStaysOnTheFocusedOne) {
    settings.setDefaultLayout(LayoutKind::columns);
    const auto a = open(editor, "A", {10, 10, 600, 400});
    const auto b = open(term, "B", {50, 50, 600, 400});
    startController();
    const Rect slotA = frameOf(a), slotB = frameOf(b);
    ASSERT_NE(slotA, slotB);
    ASSERT_TRUE(script.ring());
    EXPECT_EQ(script.ring()->frame, grown(frameOf(*script.active()), settings.borderWidth()));

    const Point over{slotB.x + slotB.width / 2, slotB.y + 100};
    drag(a, {slotB.x + 40, slotB.y + 60, slotA.width, slotA.height}, {slotA.x + 100, 100}, over);
    EXPECT_EQ(frameOf(a), slotB);
    EXPECT_EQ(frameOf(b), slotA);
    EXPECT_TRUE(std::ranges::any_of(log.lines(), [](const std::string& line) {
        return line.find("Swapped") != std::string::npos;
    }));
    EXPECT_EQ(script.ring()->frame, grown(frameOf(*script.active()), settings.borderWidth()));

    // Dropped over its own slot: it snaps back.
    drag(a, {slotB.x + 30, slotB.y, slotA.width, slotA.height}, over, over);
    EXPECT_EQ(frameOf(a), slotB);
}

TEST_F(KWinDragTest, ResizingTheMainWindowChangesTheMainRatio) {
    settings.setDefaultLayout(LayoutKind::mainStack);
    open(editor, "A", {10, 10, 600, 400});
    open(editor, "B", {50, 50, 600, 400});
    open(term, "C", {90, 90, 600, 400});
    startController();
    std::string main;
    for (const auto& [id, w] : script.windows())
        if (w.pid != ownPid && (main.empty() || w.frame.height > frameOf(main).height))
            main = id;
    const Rect before = frameOf(main);
    drag(main, {before.x, before.y, before.width + 160, before.height}, {before.maxX(), 400},
         {before.maxX() + 160, 400});
    EXPECT_NEAR(frameOf(main).width, before.width + 160, 1);
    EXPECT_GT(settings.mainRatio(), before.width / 1600.0);
    for (const auto& [id, w] : script.windows()) {
        if (id != main && w.pid != ownPid) {
            EXPECT_NEAR(w.frame.x, frameOf(main).maxX(), 1) << w.caption; // the stack follows
        }
    }
}

} // namespace
} // namespace morvanta::testing
