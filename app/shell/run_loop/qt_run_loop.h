// QtRunLoop: the application's RunLoop, over Qt's event loop (QTimer and QSocketNotifier).
// Qt Core only, so end-to-end tests can drive the controller with it without widgets.
#pragma once

#include "app/controller/run_loop.h"

#include <QObject>
#include <memory>
#include <unordered_map>

class QTimer;
class QSocketNotifier;

namespace morvanta {

class QtRunLoop : public RunLoop {
public:
    QtRunLoop();
    ~QtRunLoop() override;

    TimePoint now() const override;
    TaskID after(Duration delay, std::function<void()> task) override;
    TaskID every(Duration interval, std::function<void()> task) override;
    TaskID watch(int fd, std::function<void()> onReadable) override;
    TaskID watchWritable(int fd, std::function<void()> onWritable) override;
    void cancel(TaskID id) override;

    // Live timers and watches; an idle loop holds only its descriptor watches.
    std::size_t activeCount() const { return sources_.size(); }

private:
    TaskID addTimer(Duration interval, bool repeat, std::function<void()> task);
    TaskID addNotifier(int fd, bool write, std::function<void()> task);

    // Qt objects are deleted later, never inside their own signal: a task may cancel itself.
    std::unordered_map<TaskID, std::unique_ptr<QObject, void (*)(QObject*)>> sources_;
    TaskID nextID_ = 1;
};

} // namespace morvanta
