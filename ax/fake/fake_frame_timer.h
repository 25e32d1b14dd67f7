// FakeFrameTimer: a frame timer a test ticks by hand.
#pragma once

#include "ax/frame_timer.h"

#include <functional>

namespace morvanta {

class FakeFrameTimer : public FrameTimer {
public:
    void start(std::function<void()> tick) override {
        tick_ = std::move(tick);
        ++starts_;
    }
    void stop() override { tick_ = nullptr; }
    bool isRunning() const override { return static_cast<bool>(tick_); }

    // One frame; nothing when stopped.
    void tick() {
        if (auto t = tick_)
            t();
    }
    int starts() const { return starts_; }

private:
    std::function<void()> tick_;
    int starts_ = 0;
};

} // namespace morvanta
