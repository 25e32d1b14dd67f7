// QtRunLoop: the application's RunLoop, over Qt's event loop. Descriptor watches are
// QSocketNotifiers; timers are kept here and share one timerfd, armed for the earliest one to
// the nanosecond, because Qt's own timers wait in whole milliseconds (up to one late) and every
// restart of a QTimer object costs the event loop a posted deletion and a wake-up.
// Qt Core only, so end-to-end tests can drive the controller with it without widgets.
#pragma once

#include "app/controller/run_loop.h"

#include <QObject>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>

class QSocketNotifier;
class QTimer;

namespace morvanta {

class QtRunLoop : public RunLoop {
public:
    QtRunLoop();
    ~QtRunLoop() override;
    QtRunLoop(const QtRunLoop&) = delete;
    QtRunLoop& operator=(const QtRunLoop&) = delete;

    TimePoint now() const override;
    TaskID after(Duration delay, std::function<void()> task) override;
    TaskID every(Duration interval, std::function<void()> task) override;
    TaskID watch(int fd, std::function<void()> onReadable) override;
    TaskID watchWritable(int fd, std::function<void()> onWritable) override;
    void cancel(TaskID id) override;

    // Live timers and watches; an idle loop holds only its descriptor watches.
    std::size_t activeCount() const { return timers_.size() + notifiers_.size(); }

private:
    struct Timer {
        TimePoint due;
        Duration interval; // zero for a one-shot
        // Shared so a task that cancels its own timer while it runs keeps running intact.
        std::shared_ptr<std::function<void()>> task;
    };

    void startTimers();
    TaskID addTimer(Duration delay, Duration interval, std::function<void()> task);
    TaskID addNotifier(int fd, bool write, std::function<void()> task);
    void runDueTimers();
    // Arms the timerfd for the earliest timer when that is sooner than what it is armed for;
    // with `exactly`, also when it is later (before the loop sleeps), so it never wakes early.
    void arm(bool exactly);

    std::unordered_map<TaskID, Timer> timers_;
    std::set<std::pair<TimePoint, TaskID>> dueOrder_;
    // Qt objects are deleted later, never inside their own signal: a task may cancel itself.
    std::unordered_map<TaskID, std::unique_ptr<QSocketNotifier, void (*)(QSocketNotifier*)>>
        notifiers_;
    TaskID nextID_ = 1;
    int timerFd_ = -1;
    std::unique_ptr<QSocketNotifier> timerNotifier_;
    // Without a timerfd (none left to the process), one Qt timer wakes the loop instead.
    std::unique_ptr<QTimer> coarseTimer_;
    // What the timerfd is armed for; TimePoint::max() when disarmed.
    TimePoint armedFor_ = TimePoint::max();
    QMetaObject::Connection beforeSleep_;
};

} // namespace morvanta
