// ManualRunLoop: a RunLoop over a virtual clock for tests. Time moves only when the test says
// so, and every task due by then runs in time order (ties in the order they were scheduled),
// so "five events within 50 ms give one refresh 60 ms after the last" is checked exactly.
#pragma once

#include "app/controller/run_loop.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace morvanta {

class ManualRunLoop : public RunLoop {
public:
    TimePoint now() const override { return now_; }
    TaskID after(Duration delay, std::function<void()> task) override;
    TaskID every(Duration interval, std::function<void()> task) override;
    TaskID watch(int fd, std::function<void()> onReadable) override;
    TaskID watchWritable(int fd, std::function<void()> onWritable) override;
    void cancel(TaskID id) override;

    // Moves the clock forward by `step`, running every task that falls due on the way.
    void advance(Duration step);
    // Runs the tasks due now (zero-delay calls) without moving the clock.
    void runDue() { advance(Duration::zero()); }
    // Calls the watchers of every watched descriptor that is readable (or, for writable
    // watches, writable) now; answers how many ran.
    int pollDescriptors();

    // Calls and timers still waiting; descriptor watches are not counted.
    std::size_t pendingCount() const { return timers_.size(); }
    // When the next task is due, or none.
    std::optional<TimePoint> nextDue() const;

private:
    struct Timer {
        TaskID id = 0;
        Duration interval{}; // zero for a one-shot call
        std::function<void()> task;
    };
    using Key = std::pair<TimePoint, TaskID>; // due time, then scheduling order

    TaskID schedule(TimePoint due, Duration interval, std::function<void()> task);

    TimePoint now_{};
    TaskID nextID_ = 1;
    std::map<Key, Timer> timers_;
    struct Watch {
        int fd = -1;
        short events = 0; // POLLIN or POLLOUT
        std::function<void()> task;
    };
    std::map<TaskID, Watch> watches_;
};

} // namespace morvanta
