// FocusBorder: the controller's side of the focus border. It owns the border panel, the focus
// tracker and the drag tracker, sets their appearance and mode from the settings, starts and
// stops them, and decides for each window whether the border may show around it (tiling runs
// and is not paused, the window is tiled, visible, not parked, and its application's rule does
// not turn the border off). Without a border panel it does nothing.
#pragma once

#include "app/controller/controller_state.h"
#include "ax/border_drag_tracker.h"
#include "ax/border_overlay.h"
#include "ax/focus_tracker.h"
#include "core/weak_self.h"

#include <memory>
#include <optional>

namespace morvanta {

class FrameTimer;
class MouseMonitor;

class FocusBorder {
public:
    // Any device may be null; the trackers need all three to follow drags.
    FocusBorder(ControllerState& state, std::unique_ptr<BorderOverlay> border, MouseMonitor* mouse,
                FrameTimer* frameTimer);
    ~FocusBorder();
    FocusBorder(const FocusBorder&) = delete;
    FocusBorder& operator=(const FocusBorder&) = delete;

    // Width, colour and drag mode from the settings.
    void applyAppearance();
    // Follows focus and drags and shows the border for the focused window.
    void start();
    void stop();
    bool isRunning() const { return running_; }
    // Whether its own focus tracker moves the border to each newly focused window.
    bool followsFocus() const { return running_ && focusTracker_ != nullptr; }
    void hide();
    // Shows the border around the window when it may have one; hides it otherwise.
    void update(const std::optional<AXWindow>& window);

    BorderOverlay* overlay() const { return border_.get(); }
    BorderDragTracker* dragTracker() const { return dragTracker_.get(); }

private:
    bool mayShow(const std::optional<AXWindow>& window) const;

    ControllerState& state_;
    std::unique_ptr<BorderOverlay> border_;
    std::unique_ptr<FocusTracker> focusTracker_;
    std::unique_ptr<BorderDragTracker> dragTracker_;
    bool running_ = false;
    // Callbacks handed to the trackers hold this weakly.
    WeakSelf<FocusBorder> self_;
};

} // namespace morvanta
