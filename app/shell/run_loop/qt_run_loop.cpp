#include "app/shell/run_loop/qt_run_loop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace morvanta {

namespace {
// Silences the notifier at once (its descriptor may be closed right after the cancel) and
// deletes it once control is back in the event loop, so a task can cancel its own watch.
void deleteLater(QSocketNotifier* notifier) {
    notifier->setEnabled(false);
    notifier->blockSignals(true);
    notifier->deleteLater();
}

timespec toTimespec(RunLoop::TimePoint at) {
    const auto ns = std::max<std::int64_t>(at.time_since_epoch().count(), 1);
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}
} // namespace

QtRunLoop::QtRunLoop() = default;

void QtRunLoop::startTimers() {
    // Made with the first timer, not with the loop: Qt's notifiers and timers need the
    // application's event dispatcher, which may come later than the loop.
    // steady_clock is CLOCK_MONOTONIC, so deadlines are given to the timerfd as they are.
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const auto fired = [this] {
        if (timerFd_ >= 0) {
            std::uint64_t expirations = 0;
            [[maybe_unused]] const auto got = ::read(timerFd_, &expirations, sizeof expirations);
        }
        armedFor_ = TimePoint::max();
        runDueTimers();
        arm(false);
    };
    if (timerFd_ >= 0) {
        timerNotifier_ = std::make_unique<QSocketNotifier>(timerFd_, QSocketNotifier::Read);
        QObject::connect(timerNotifier_.get(), &QSocketNotifier::activated, fired);
    } else {
        coarseTimer_ = std::make_unique<QTimer>();
        coarseTimer_->setSingleShot(true);
        coarseTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(coarseTimer_.get(), &QTimer::timeout, fired);
    }
    // A later deadline (a debounce pushed back) is armed once, just before the loop sleeps,
    // rather than at every push.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        beforeSleep_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                        [this] { arm(true); });
}

QtRunLoop::~QtRunLoop() {
    QObject::disconnect(beforeSleep_);
    timerNotifier_.reset();
    coarseTimer_.reset();
    if (timerFd_ >= 0)
        ::close(timerFd_);
}

RunLoop::TimePoint QtRunLoop::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

RunLoop::TaskID QtRunLoop::addTimer(Duration delay, Duration interval, std::function<void()> task) {
    if (!timerNotifier_ && !coarseTimer_)
        startTimers();
    const TaskID id = nextID_++;
    const TimePoint due = now() + std::max(delay, Duration::zero());
    timers_.emplace(id,
                    Timer{due, interval, std::make_shared<std::function<void()>>(std::move(task))});
    dueOrder_.emplace(due, id);
    arm(false);
    return id;
}

RunLoop::TaskID QtRunLoop::after(Duration delay, std::function<void()> task) {
    return addTimer(delay, Duration::zero(), std::move(task));
}

RunLoop::TaskID QtRunLoop::every(Duration interval, std::function<void()> task) {
    // A zero interval would keep the loop from ever sleeping.
    return addTimer(interval, std::max(interval, Duration(1)), std::move(task));
}

void QtRunLoop::runDueTimers() {
    const TimePoint reached = now();
    // Only timers due by now run: a task scheduling another at zero delay runs it next wake.
    while (!dueOrder_.empty() && dueOrder_.begin()->first <= reached) {
        const TaskID id = dueOrder_.begin()->second;
        dueOrder_.erase(dueOrder_.begin());
        auto found = timers_.find(id);
        auto task = found->second.task;
        if (found->second.interval == Duration::zero()) {
            timers_.erase(found);
        } else {
            // A repeating timer behind by more than an interval does not catch up in a burst.
            Timer& timer = found->second;
            timer.due = std::max(timer.due + timer.interval, reached);
            dueOrder_.emplace(timer.due, id);
        }
        (*task)();
    }
}

void QtRunLoop::arm(bool exactly) {
    const TimePoint earliest = dueOrder_.empty() ? TimePoint::max() : dueOrder_.begin()->first;
    if (earliest == armedFor_ || (!exactly && earliest > armedFor_))
        return;
    armedFor_ = earliest;
    if (coarseTimer_) {
        if (earliest == TimePoint::max()) {
            coarseTimer_->stop();
            return;
        }
        // Rounded up: a timer never runs before its time.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(earliest - now());
        coarseTimer_->start(
            static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, 0x7fffffff)));
        return;
    }
    itimerspec when{};
    if (earliest != TimePoint::max())
        when.it_value = toTimespec(earliest);
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
}

RunLoop::TaskID QtRunLoop::addNotifier(int fd, bool write, std::function<void()> task) {
    const TaskID id = nextID_++;
    auto* notifier =
        new QSocketNotifier(fd, write ? QSocketNotifier::Write : QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [task = std::move(task)] { task(); });
    notifiers_.emplace(
        id, std::unique_ptr<QSocketNotifier, void (*)(QSocketNotifier*)>(notifier, deleteLater));
    return id;
}

RunLoop::TaskID QtRunLoop::watch(int fd, std::function<void()> onReadable) {
    return addNotifier(fd, false, std::move(onReadable));
}

RunLoop::TaskID QtRunLoop::watchWritable(int fd, std::function<void()> onWritable) {
    return addNotifier(fd, true, std::move(onWritable));
}

void QtRunLoop::cancel(TaskID id) {
    if (auto found = timers_.find(id); found != timers_.end()) {
        // Left armed: a wake for nothing is cheaper than a disarm at every debounce restart.
        dueOrder_.erase({found->second.due, id});
        timers_.erase(found);
        return;
    }
    notifiers_.erase(id);
}

} // namespace morvanta
