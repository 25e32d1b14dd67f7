// LayoutApplier: the apply step. It asks the model for a plan for the screens' visible frames
// and makes the real windows match it: tiled windows get their frames (a window already at its
// target is left alone), windows that refuse to shrink have their minimum learned and the
// layout is made once more around it, floating windows come back from parking, the windows of
// workspaces not shown are parked, and the border and the summaries follow.
//
// Requests go out in batches (every read of a phase first, then every write), so on X11 an
// apply of many windows costs a few round trips, not a few per window.
#pragma once

#include "app/controller/controller_state.h"

#include <map>

namespace morvanta {

class FocusBorder;
class SummaryPublisher;

class LayoutApplier {
public:
    LayoutApplier(ControllerState& state, FocusBorder& border, SummaryPublisher& summaries)
        : s_(state), border_(border), summaries_(summaries) {}

    // The model's plan for the screens as they are now.
    LayoutPlan currentPlan();
    // Lays the windows out; while tiling is stopped or paused only publishes the summaries.
    // A retry (after minimum sizes were learned) never starts another.
    void apply(bool isRetry = false);

private:
    struct Placement {
        WindowID id;
        AXWindow window;
        Rect target;
    };
    // The first screen of each display, by identity.
    std::map<std::string, Screen> screensByDisplay();
    LayoutPlan plan(const std::map<std::string, Screen>& screens);
    // Sets the frames that need setting; answers the learned-size log entries.
    std::vector<std::string> placeVisible(const LayoutPlan& plan);
    std::vector<std::string> learnMinimums(const std::vector<Placement>& placed);
    void restoreFloating(const LayoutPlan& plan);
    void parkHidden(const LayoutPlan& plan, const std::map<std::string, Screen>& screens);

    ControllerState& s_;
    FocusBorder& border_;
    SummaryPublisher& summaries_;
};

} // namespace morvanta
