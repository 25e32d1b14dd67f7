// LayoutApplier: the apply step. It asks the model for a plan for the screens' visible frames
// and makes the real windows match it: tiled windows get their frames (a window already at its
// target is left alone), windows that refuse to shrink have their minimum learned and the
// layout is made once more around it, floating windows come back from parking, the windows of
// workspaces not shown are parked, and the border and the summaries follow.
//
// Requests go out in batches (every read of a phase first, then every write), so on X11 an
// apply of many windows costs a few round trips, not a few per window. The apply itself only
// reads what it needs to decide and sends its requests; reading the results back (minimum
// sizes, parks that did not hold, the border) waits for the server, so it runs as a check on
// the run loop's next turn, or at the start of the next apply, whichever comes first. Where
// the backend says reads back are best made at once (WindowAccess::readsBackAtOnce: on X11, a
// window manager may animate minimising and restoring, and without one the reads cost nothing)
// the check runs at once, and the border's requests go out with the apply's.
#pragma once

#include "app/controller/controller_state.h"

#include <map>

namespace morvanta {

class FocusBorder;
class SummaryPublisher;

class LayoutApplier {
public:
    LayoutApplier(ControllerState& state, FocusBorder& border, SummaryPublisher& summaries)
        : state_(state), border_(border), summaries_(summaries) {}
    ~LayoutApplier();
    LayoutApplier(const LayoutApplier&) = delete;
    LayoutApplier& operator=(const LayoutApplier&) = delete;

    // The model's plan for the screens as they are now.
    LayoutPlan currentPlan();
    // Lays the windows out; while tiling is stopped or paused only publishes the summaries.
    // A retry (after minimum sizes were learned) never starts another.
    void apply(bool isRetry = false);
    // Runs the last apply's check now if it has not run yet: learns minimum sizes (laying out
    // once more when it learned one, unless that apply was a retry), minimises windows whose
    // park did not hold, with their log lines, and places the border. A retry's own check runs
    // too, so afterwards no check is pending.
    void finishCheck();
    // After the focus moved and nothing else changed: the summaries follow it (and the border,
    // where no focus tracker moves it already), with no window laid out again.
    void focusMoved();
    // Sends every tiled window found off every screen (a move the window manager dropped, as
    // one starting up does) to its slot and waits for that; answers how many. For stopping.
    int bringBackStranded();

private:
    struct Placement {
        WindowID id;
        AXWindow window;
        Rect target;
    };
    // The first screen of each display, by identity.
    std::map<std::string, Screen> screensByDisplay();
    LayoutPlan plan(const std::map<std::string, Screen>& screens);
    // What an apply sent and its check reads back.
    struct Check {
        std::vector<Placement> placed;
        WindowParker::ParkBatch parking;
        bool isRetry = false;
    };
    // Sends the frames that need setting; answers the windows they were sent to.
    std::vector<Placement> placeVisible(const LayoutPlan& plan);
    // Learns the minimum sizes the placed windows show; `stranded` tells whether one was found
    // off every screen instead, its request dropped (its size then tells nothing).
    std::vector<std::string> learnMinimums(const std::vector<Placement>& placed, bool& stranded);
    // Lays out once more a while after a window was found stranded, once per apply that was
    // no retry itself.
    void retryStranded();
    void restoreFloating(const LayoutPlan& plan);
    // Asks for the frames of the windows to park; sendParking parks them.
    WindowParker::ParkBatch prepareParking(const LayoutPlan& plan,
                                           const std::map<std::string, Screen>& screens);
    void reportUnhidden(const WindowParker::ParkBatch& parking);
    // Runs the pending check (which may leave a retry's check pending in its place).
    void runCheck();

    ControllerState& state_;
    FocusBorder& border_;
    SummaryPublisher& summaries_;
    // The one check not yet run; finishCheck runs it before anything may replace it.
    std::optional<Check> check_;
    RunLoop::TaskID checkTask_ = 0;
    RunLoop::TaskID strandedRetryTask_ = 0;
};

} // namespace morvanta
