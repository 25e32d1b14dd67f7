// KWinWindowObserver: the window observer of the KWin backend. Every window is watched from the
// start (the script reports them all), so `watch` has nothing to add; the system hands it its
// news while it is started.
#pragma once

#include "ax/window_observer.h"

namespace morvanta {

class KWinWindowSystem;

class KWinWindowObserver final : public WindowObserver {
public:
    explicit KWinWindowObserver(KWinWindowSystem& system) : system_(system) {}
    ~KWinWindowObserver() override { stop(); }

    void start() override;
    void stop() override;
    bool isStarted() const override { return started_; }
    void watch(const AXWindow&) override {}

    void deliver(Event event) {
        if (onEvent)
            onEvent(event);
    }

private:
    KWinWindowSystem& system_;
    bool started_ = false;
};

} // namespace morvanta
