// DragEnd: what a finished mouse drag did to the tiled windows, examined shortly after every
// left-mouse-up. A tiled window moved onto another swaps places with it; moved onto nothing, it
// snaps back; resized, its share of the layout changes (in main + stack, the main ratio).
#pragma once

#include "app/controller/controller_state.h"

namespace morvanta {

class LayoutApplier;
class MouseMonitor;

class DragEnd {
public:
    DragEnd(ControllerState& state, LayoutApplier& applier, MouseMonitor& mouse)
        : state_(state), applier_(applier), mouse_(mouse) {}

    // Nothing unless tiling runs and is not paused, or when no tiled window left its target.
    void examine();

private:
    void moved(WindowID id, const AXWindow& window, const LayoutPlan& plan);
    void resized(WindowID id, const AXWindow& window, const Rect& target, const Rect& current,
                 const LayoutPlan& plan);

    ControllerState& state_;
    LayoutApplier& applier_;
    MouseMonitor& mouse_;
};

} // namespace morvanta
