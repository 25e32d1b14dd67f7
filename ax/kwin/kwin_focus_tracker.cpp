#include "ax/kwin/kwin_focus_tracker.h"

#include "ax/kwin/kwin_window_system.h"

namespace morvanta {

void KWinFocusTracker::start() {
    if (started_)
        return;
    started_ = true;
    system_.addTracker(this);
    report(true);
}

void KWinFocusTracker::stop() {
    if (!started_)
        return;
    started_ = false;
    system_.removeTracker(this);
}

void KWinFocusTracker::report(bool evenWhenNone) {
    const auto window = system_.trackedFocus();
    if ((window || evenWhenNone) && onChange)
        onChange(window);
}

} // namespace morvanta
