// HangWatchdog: notices when the main thread stays busy with one turn of its run loop for
// longer than a limit, and reports that stall with the main thread's backtrace.
//
// The main thread marks each turn: turnStarted() when it wakes to handle work, turnEnded()
// before it goes back to waiting. Each turn arms a timer for the limit and its end disarms it
// (a system call each, no wake of any thread); the watchdog thread sleeps on that timer, so it
// wakes only when a turn really lasts longer than the limit, and again after each further
// limit while that turn lasts. Neither a busy nor an idle Morvanta ever wakes it otherwise.
//
// The backtrace is taken on the main thread itself: the watchdog sends it a real-time signal
// whose handler records backtrace() into a fixed buffer. Construct on the main thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace morvanta {

class HangWatchdog {
public:
    struct Stall {
        std::uint64_t turn = 0;
        std::chrono::system_clock::time_point started;
        // How long the turn has lasted so far; its whole length once turnEnded() answers it.
        std::chrono::duration<double> length{};
        std::vector<std::string> backtrace;
    };
    // Called on the watchdog thread when a turn passes the limit and again after each further
    // limit while it lasts. turnEnded() waits for a call in progress, so what the observer
    // writes is complete by the time the main thread hears of the stall.
    using StallObserver = std::function<void(const Stall&)>;

    HangWatchdog(std::chrono::milliseconds limit, StallObserver observer);
    ~HangWatchdog();
    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

    std::chrono::milliseconds limit() const { return limit_; }

    void turnStarted();
    // Answers the stall when this turn was reported as one, with its whole length.
    std::optional<Stall> turnEnded();

private:
    void watch();
    // The timer went off: reports the turn in progress when it has passed the limit.
    void expired();
    void arm(std::chrono::nanoseconds after) const;
    std::vector<std::string> sampleMainThread() const;

    const std::chrono::milliseconds limit_;
    const StallObserver observer_;
    const pthread_t mainThread_;

    std::atomic<bool> busy_{false};
    std::atomic<std::uint64_t> turn_{0};
    std::atomic<std::int64_t> busySinceSteady_{0}; // steady_clock ticks
    std::atomic<std::int64_t> busySinceWall_{0};   // system_clock ticks
    std::atomic<bool> stalled_{false};

    int timer_ = -1; // timerfd: goes off when a turn passes the limit
    int stop_ = -1;  // eventfd: ends the watchdog thread
    std::mutex mutex_;
    std::optional<Stall> currentStall_; // guarded by mutex_
    std::thread thread_;
};

} // namespace morvanta
