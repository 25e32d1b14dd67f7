// RunLoop: the one-thread event loop everything in Morvanta runs on, as an interface so the
// controller's timing rules (debounce, drag examination, permission poll) run on Qt in the
// application and on a virtual clock in tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace morvanta {

class RunLoop {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;
    // Names one scheduled call, timer or descriptor watch; 0 names nothing.
    using TaskID = std::uint64_t;

    virtual ~RunLoop() = default;

    // A monotonic clock: never jumps with the wall clock.
    virtual TimePoint now() const = 0;
    // Runs `task` once, `delay` from now.
    virtual TaskID after(Duration delay, std::function<void()> task) = 0;
    // Runs `task` every `interval` until cancelled.
    virtual TaskID every(Duration interval, std::function<void()> task) = 0;
    // Runs `onReadable` whenever `fd` has data to read, until cancelled.
    virtual TaskID watch(int fd, std::function<void()> onReadable) = 0;
    // Runs `onWritable` whenever `fd` has room to write, until cancelled: watch only while
    // something waits to be sent, or it runs on every turn.
    virtual TaskID watchWritable(int fd, std::function<void()> onWritable) = 0;
    // Cancels a call, timer or watch; unknown, finished and already cancelled ids are ignored.
    // Safe from inside any task, including the one being cancelled.
    virtual void cancel(TaskID id) = 0;
};

} // namespace morvanta
