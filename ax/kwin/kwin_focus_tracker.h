// KWinFocusTracker: follows KWin's active window. The system reports it to every started tracker
// when the activation moves (none when nothing, or a window of this process, is active) and
// when the active window's frame changes, Morvanta's own moves included.
#pragma once

#include "ax/focus_tracker.h"

namespace morvanta {

class KWinWindowSystem;

class KWinFocusTracker final : public FocusTracker {
public:
    explicit KWinFocusTracker(KWinWindowSystem& system) : system_(system) {}
    ~KWinFocusTracker() override { stop(); }

    void start() override;
    void stop() override;
    bool isStarted() const override { return started_; }

    // `evenWhenNone`: an activation reports none too; a frame change reports only a window.
    void report(bool evenWhenNone);

private:
    KWinWindowSystem& system_;
    bool started_ = false;
};

} // namespace morvanta
