// The planning step: what is shown, floated and parked, on which display and with which frame.
#include "core/core.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

const DisplayID A{"A"}, B{"B"}, C{"C"}, D{"D"};
const WindowID a{1}, b{2}, c{3}, d{4};
const Rect screenA{0, 0, 1000, 800};
const Rect screenB{1000, 0, 800, 600};

TEST(LayoutPlan, ShownTiledFloatingAndParked) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B});
    manager.addWindow(a, A);
    manager.addWindow(b, A);
    manager.addWindow(c, A);
    manager.setFloating(c, true);
    manager.addWindow(d, B, 7); // B shows 6
    manager.addWindow(WindowID{5}, A, 2);
    manager.setFloating(WindowID{5}, true);
    const LayoutPlan plan = manager.plan({{A, screenA}, {B, screenB}}, {{a, {700, 0}}}, {});
    EXPECT_EQ(plan.visible,
              (std::map<WindowID, Rect>{{a, {0, 0, 700, 800}}, {b, {700, 0, 300, 800}}}));
    EXPECT_EQ(plan.floating, std::set<WindowID>{c});
    EXPECT_EQ(plan.hidden, (std::map<WindowID, DisplayID>{{d, B}, {WindowID{5}, A}}));
}

TEST(LayoutPlan, MonocleShowsTheFocusedWindowOnWholePoints) {
    WorkspaceManager manager(LayoutKind::monocle);
    manager.setDisplays({A});
    for (WindowID w : {a, b, c})
        manager.addWindow(w, A);
    manager.setFocused(b);
    const LayoutPlan plan = manager.plan({{A, {0.4, 0.5, 999.2, 799.4}}}, {}, {0, 10.25, 0.58});
    EXPECT_EQ(plan.visible, (std::map<WindowID, Rect>{{b, {11, 11, 978, 779}}}));
    EXPECT_EQ(plan.hidden, (std::map<WindowID, DisplayID>{{a, A}, {c, A}}));
    manager.setFocused(std::nullopt);
    EXPECT_EQ(manager.plan({{A, screenA}}, {}, {}).visible.begin()->first, a);
}

TEST(LayoutPlan, DisplayWithoutAScreenFrameParksItsWorkspace) {
    WorkspaceManager manager(LayoutKind::rows);
    manager.setDisplays({A, B});
    manager.addWindow(a, B);
    manager.addWindow(b, B);
    manager.setFloating(b, true);
    const LayoutPlan plan = manager.plan({{A, screenA}}, {}, {});
    EXPECT_TRUE(plan.visible.empty());
    EXPECT_TRUE(plan.floating.empty());
    EXPECT_EQ(plan.hidden, (std::map<WindowID, DisplayID>{{a, B}, {b, B}}));
}

TEST(LayoutPlan, NoDisplaysPlanNothing) {
    WorkspaceManager manager(LayoutKind::rows);
    manager.setDisplays({A});
    manager.addWindow(a, A);
    manager.addWindow(b, A, 2);
    manager.setDisplays({});
    EXPECT_EQ(manager.plan({{A, screenA}}, {}, {}), LayoutPlan{});
}

// The fourth of four displays owns no workspace. It must not lay out the first display's
// workspace a second time: that would move those windows onto it, or, without a screen frame,
// list them as both shown and parked.
TEST(LayoutPlan, DisplayOwningNothingShowsNothing) {
    WorkspaceManager manager(LayoutKind::columns);
    manager.setDisplays({A, B, C, D});
    manager.addWindow(a, A);
    const Rect screenD{3000, 0, 500, 500};
    LayoutPlan plan =
        manager.plan({{A, screenA}, {B, screenB}, {C, {2000, 0, 500, 500}}, {D, screenD}}, {}, {});
    EXPECT_EQ(plan.visible, (std::map<WindowID, Rect>{{a, screenA}}));
    plan = manager.plan({{A, screenA}, {B, screenB}, {C, screenD}}, {}, {});
    EXPECT_EQ(plan.visible, (std::map<WindowID, Rect>{{a, screenA}}));
    EXPECT_TRUE(plan.hidden.empty());
}

TEST(LayoutPlan, WeightsAndOptionsReachTheLayout) {
    WorkspaceManager manager(LayoutKind::mainStack);
    manager.setDisplays({A});
    for (WindowID w : {a, b, c})
        manager.addWindow(w, A);
    const LayoutOptions options{10, 0, 0.58};
    LayoutPlan plan = manager.plan({{A, screenA}}, {}, options);
    ASSERT_EQ(plan.visible.size(), 3u);
    manager.applyResize(b, plan.visible.at(b),
                        {plan.visible.at(b).x, 0, plan.visible.at(b).width, 495}, plan.visible);
    plan = manager.plan({{A, screenA}}, {}, options);
    EXPECT_NEAR(plan.visible.at(b).height, 495, 1e-9);
    EXPECT_NEAR(plan.visible.at(c).y, 505, 1e-9);
}

} // namespace
} // namespace morvanta
