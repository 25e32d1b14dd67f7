// The registry's identifiers: increasing, never reused, one per window however it is fetched.
#include "app/controller/window_registry.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

TEST(WindowRegistry, HandsOutIncreasingIdentifiersNeverReused) {
    WindowRegistry registry;
    const AXWindow a({}, 0x100, 7), b({}, 0x200, 7), c({}, 0x300, 8);
    EXPECT_EQ(registry.registerWindow(a), WindowID{1});
    EXPECT_EQ(registry.registerWindow(b), WindowID{2});
    EXPECT_EQ(registry.registerWindow(AXWindow({}, 0x100, 7)), WindowID{1}); // same window
    EXPECT_EQ(registry.nextID(), 3);

    registry.forgetWindow(WindowID{1});
    EXPECT_FALSE(registry.idFor(a));
    EXPECT_FALSE(registry.windowFor(WindowID{1}));
    EXPECT_EQ(registry.registerWindow(c), WindowID{3});
    EXPECT_EQ(registry.registerWindow(a), WindowID{4}); // back again: a new window to the model

    registry.forgetWindow(WindowID{99});
    EXPECT_EQ(registry.count(), 3);
    EXPECT_EQ(registry.idFor(b), WindowID{2});
    EXPECT_EQ(registry.windowFor(WindowID{2}), b);
}

} // namespace
} // namespace morvanta
