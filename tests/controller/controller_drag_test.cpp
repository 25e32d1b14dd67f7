// Drag end, examined 80 ms after a mouse-up: small nudges, swaps, drops onto nothing, and a
// resize of the main window of main + stack.
#include "tests/support/fake_desktop_controller.h"

namespace morvanta::testing {
namespace {

using ControllerTest = FakeDesktopControllerTest;

class DragTest : public ControllerTest {
protected:
    void SetUp() override {
        settings.setDefaultLayout(LayoutKind::columns);
        startController();
        a = open(editor, "a");
        b = open(term, "b");
        settle();
        slotA = frame(a);
        slotB = frame(b);
        clearLog();
        desktop.clearOperations();
    }
    // The user drags the window to `to` and lets go with the pointer at `pointer`.
    void dragTo(const AXWindow& w, const Rect& to, Point pointer) {
        mouse->press(pointer);
        desktop.userSetFrame(w, to);
        mouse->drag(pointer);
        mouse->release();
        loop.advance(79ms);
    }

    AXWindow a, b;
    Rect slotA, slotB;
};

TEST_F(DragTest, NudgeOfTwoPointsIsNoDrag) {
    dragTo(a, {slotA.x + 2, slotA.y - 2, slotA.width, slotA.height}, {100, 100});
    loop.advance(1ms);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(desktop.setFrameCount(a), 0);
}

TEST_F(DragTest, DropOntoAnotherWindowSwapsThem) {
    dragTo(a, {700, 100, slotA.width, slotA.height}, {900, 300});
    EXPECT_TRUE(messages().empty()); // not before 80 ms
    loop.advance(1ms);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Swapped Editor — “a” ↔ Terminal — “b” by dragging."});
    EXPECT_EQ(frame(a), slotB);
    EXPECT_EQ(frame(b), slotA);
}

TEST_F(DragTest, DropOntoNothingSnapsBack) {
    dragTo(a, {300, 100, slotA.width, slotA.height}, {300, 300}); // still over its own slot
    loop.advance(1ms);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(frame(a), slotA);
    EXPECT_EQ(frame(b), slotB);
}

TEST_F(DragTest, ResizingTheMainWindowChangesTheMainRatio) {
    controller->commands().setLayout(LayoutKind::mainStack);
    const auto c = open(editor, "c");
    settle();
    const Rect main = frame(a);
    clearLog();
    dragTo(a, {main.x, main.y, main.width + 120, main.height}, {main.maxX() + 120, 400});
    loop.advance(1ms);
    EXPECT_EQ(messages(), std::vector<std::string>{"Resized Editor — “a” by dragging."});
    EXPECT_NEAR(settings.mainRatio(), (main.width + 120) / 1200.0, 0.01);
    EXPECT_NEAR(frame(a).width, main.width + 120, 0.5);
    EXPECT_NEAR(frame(b).x, main.width + 120, 0.5); // the stack follows
    EXPECT_NEAR(frame(c).x, main.width + 120, 0.5);
}

TEST_F(DragTest, PausedDragsAreLeftAlone) {
    controller->commands().setPaused(true);
    clearLog();
    dragTo(a, {700, 100, slotA.width, slotA.height}, {900, 300});
    loop.advance(1ms);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(frame(a).x, 700);
}

} // namespace
} // namespace morvanta::testing
