#include "app/controller/manual_run_loop.h"

#include <algorithm>
#include <poll.h>

namespace morvanta {

RunLoop::TaskID ManualRunLoop::schedule(TimePoint due, Duration interval,
                                        std::function<void()> task) {
    const TaskID id = nextID_++;
    timers_.emplace(Key{due, id}, Timer{id, interval, std::move(task)});
    return id;
}

RunLoop::TaskID ManualRunLoop::after(Duration delay, std::function<void()> task) {
    return schedule(now_ + std::max(delay, Duration::zero()), Duration::zero(), std::move(task));
}

RunLoop::TaskID ManualRunLoop::every(Duration interval, std::function<void()> task) {
    // A zero interval would spin forever inside advance(); the shortest repeat is 1 ns.
    interval = std::max(interval, Duration(1));
    return schedule(now_ + interval, interval, std::move(task));
}

RunLoop::TaskID ManualRunLoop::watch(int fd, std::function<void()> onReadable) {
    const TaskID id = nextID_++;
    watches_.emplace(id, Watch{fd, POLLIN, std::move(onReadable)});
    return id;
}

RunLoop::TaskID ManualRunLoop::watchWritable(int fd, std::function<void()> onWritable) {
    const TaskID id = nextID_++;
    watches_.emplace(id, Watch{fd, POLLOUT, std::move(onWritable)});
    return id;
}

void ManualRunLoop::cancel(TaskID id) {
    if (watches_.erase(id) > 0)
        return;
    std::erase_if(timers_, [id](const auto& entry) { return entry.second.id == id; });
}

std::optional<RunLoop::TimePoint> ManualRunLoop::nextDue() const {
    if (timers_.empty())
        return std::nullopt;
    return timers_.begin()->first.first;
}

void ManualRunLoop::advance(Duration step) {
    const TimePoint end = now_ + std::max(step, Duration::zero());
    while (!timers_.empty() && timers_.begin()->first.first <= end) {
        auto node = timers_.extract(timers_.begin());
        now_ = std::max(now_, node.key().first);
        Timer timer = std::move(node.mapped());
        if (timer.interval > Duration::zero()) {
            // Re-arm before running so the task may cancel its own timer.
            auto task = timer.task;
            timers_.emplace(Key{now_ + timer.interval, timer.id}, std::move(timer));
            task();
        } else {
            timer.task();
        }
    }
    now_ = end;
}

int ManualRunLoop::pollDescriptors() {
    std::vector<std::pair<TaskID, Watch>> watched(watches_.begin(), watches_.end());
    int ran = 0;
    for (const auto& [id, entry] : watched) {
        pollfd p{entry.fd, entry.events, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & (entry.events | POLLHUP | POLLERR)))
            continue;
        const auto it = watches_.find(id); // an earlier watcher may have cancelled this one
        if (it == watches_.end())
            continue;
        auto callback = it->second.task;
        callback();
        ++ran;
    }
    return ran;
}

} // namespace morvanta
