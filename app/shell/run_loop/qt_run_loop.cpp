#include "app/shell/run_loop/qt_run_loop.h"

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>

namespace morvanta {

namespace {
// Silences the object at once and deletes it once control is back in the event loop, so a
// task can cancel its own timer while it runs.
void deleteLater(QObject* object) {
    if (auto* timer = qobject_cast<QTimer*>(object))
        timer->stop();
    // Its descriptor may be closed right after the cancel: stop watching it now.
    if (auto* notifier = qobject_cast<QSocketNotifier*>(object))
        notifier->setEnabled(false);
    object->blockSignals(true);
    object->deleteLater();
}

int toMilliseconds(RunLoop::Duration duration) {
    using namespace std::chrono;
    // Round up: a timer must never fire before its time.
    const auto ms = ceil<milliseconds>(std::max(duration, RunLoop::Duration::zero())).count();
    return static_cast<int>(std::min<long long>(ms, 0x7fffffff));
}
} // namespace

QtRunLoop::QtRunLoop() = default;
QtRunLoop::~QtRunLoop() = default;

RunLoop::TimePoint QtRunLoop::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

RunLoop::TaskID QtRunLoop::addTimer(Duration interval, bool repeat, std::function<void()> task) {
    const TaskID id = nextID_++;
    auto* timer = new QTimer();
    timer->setSingleShot(!repeat);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, [this, id, repeat, task = std::move(task)] {
        if (!repeat)
            sources_.erase(id); // deleted later, after this slot returns
        task();
    });
    sources_.emplace(id, std::unique_ptr<QObject, void (*)(QObject*)>(timer, deleteLater));
    timer->start(toMilliseconds(interval));
    return id;
}

RunLoop::TaskID QtRunLoop::after(Duration delay, std::function<void()> task) {
    return addTimer(delay, false, std::move(task));
}

RunLoop::TaskID QtRunLoop::every(Duration interval, std::function<void()> task) {
    return addTimer(interval, true, std::move(task));
}

RunLoop::TaskID QtRunLoop::addNotifier(int fd, bool write, std::function<void()> task) {
    const TaskID id = nextID_++;
    auto* notifier =
        new QSocketNotifier(fd, write ? QSocketNotifier::Write : QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [task = std::move(task)] { task(); });
    sources_.emplace(id, std::unique_ptr<QObject, void (*)(QObject*)>(notifier, deleteLater));
    return id;
}

RunLoop::TaskID QtRunLoop::watch(int fd, std::function<void()> onReadable) {
    return addNotifier(fd, false, std::move(onReadable));
}

RunLoop::TaskID QtRunLoop::watchWritable(int fd, std::function<void()> onWritable) {
    return addNotifier(fd, true, std::move(onWritable));
}

void QtRunLoop::cancel(TaskID id) {
    sources_.erase(id);
}

} // namespace morvanta
