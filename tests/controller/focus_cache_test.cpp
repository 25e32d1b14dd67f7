// The controller's focus cache: one read of the focused window per hold of the screens, fresh
// reads outside one, and the window the controller asked to focus counting as focused while the
// window system names none (a window that never takes the keyboard), but only while it shows
// and the model's focus is on it.
#include "app/controller/controller_state.h"
#include "tests/support/fake_desktop_controller.h"

namespace morvanta::testing {
namespace {

using ControllerTest = FakeDesktopControllerTest;

TEST_F(ControllerTest, FocusIsReadOncePerHoldAndFreshOutsideOne) {
    const AXWindow a = open(editor, "a");
    const AXWindow b = open(term, "b"); // opened last: focused
    ControllerState state(desktop.system(), loop, log, settings);
    {
        const auto held = state.screenSnapshot.hold();
        EXPECT_EQ(state.focus.focused(), b);
        desktop.focus(a);
        EXPECT_EQ(state.focus.focused(), b) << "kept for the hold";
        state.focus.forgetRead();
        EXPECT_EQ(state.focus.focused(), a);
    }
    desktop.focus(b);
    EXPECT_EQ(state.focus.focused(), b);
    const auto next = state.screenSnapshot.hold();
    desktop.focus(a);
    EXPECT_EQ(state.focus.focused(), a) << "a new hold reads again";
}

TEST_F(ControllerTest, WindowAskedForCountsAsFocusedOnlyWhileShownAndFocusedInTheModel) {
    const AXWindow a = open(editor, "a");
    const AXWindow b = open(term, "b");
    ControllerState state(desktop.system(), loop, log, settings);
    const WindowID idA = state.registry.registerWindow(a);
    const WindowID idB = state.registry.registerWindow(b);
    state.manager.setDisplays({DisplayID{"S1"}});
    state.manager.addWindow(idA, DisplayID{"S1"});
    state.manager.addWindow(idB, DisplayID{"S1"});
    state.manager.setFocused(idA);

    state.focus.askedFor(a);
    desktop.clearFocus();
    EXPECT_EQ(state.focus.focused(), a);
    state.manager.setFocused(idB);
    EXPECT_EQ(state.focus.focused(), std::nullopt) << "the model's focus moved on";
    state.manager.setFocused(idA);
    state.parker.park(a);
    EXPECT_EQ(state.focus.focused(), std::nullopt) << "hidden";
    state.parker.restore(a);
    EXPECT_EQ(state.focus.focused(), a);

    // Once the window system names another window, the request is over.
    desktop.focus(b);
    EXPECT_EQ(state.focus.focused(), b);
    desktop.clearFocus();
    EXPECT_EQ(state.focus.focused(), std::nullopt);
}

} // namespace
} // namespace morvanta::testing
