// RunLoopFrameTimer: a FrameTimer on the run loop, repeating at the display's refresh rate as
// it is when the timer starts (a function the window system provides; 60 Hz when it answers
// nothing sensible).
#pragma once

#include "app/controller/run_loop.h"
#include "ax/frame_timer.h"

#include <chrono>
#include <functional>
#include <utility>

namespace morvanta {

class RunLoopFrameTimer : public FrameTimer {
public:
    RunLoopFrameTimer(RunLoop& loop, std::function<double()> refreshHz)
        : loop_(loop), refreshHz_(std::move(refreshHz)) {}
    ~RunLoopFrameTimer() override { stop(); }
    RunLoopFrameTimer(const RunLoopFrameTimer&) = delete;
    RunLoopFrameTimer& operator=(const RunLoopFrameTimer&) = delete;

    void start(std::function<void()> tick) override {
        stop();
        double hz = refreshHz_ ? refreshHz_() : 0;
        if (!(hz >= 1 && hz <= 1000))
            hz = 60;
        task_ = loop_.every(
            std::chrono::duration_cast<RunLoop::Duration>(std::chrono::duration<double>(1.0 / hz)),
            std::move(tick));
    }
    void stop() override {
        if (task_ != 0)
            loop_.cancel(std::exchange(task_, 0));
    }
    bool isRunning() const override { return task_ != 0; }

private:
    RunLoop& loop_;
    std::function<double()> refreshHz_;
    RunLoop::TaskID task_ = 0;
};

} // namespace morvanta
