// ExitDeadline: bounds the last part of a quit. Once every window is back, nothing that is left
// (closing the display, Qt's own teardown, a D-Bus call to a tray that no longer answers) may
// keep the process alive: when the deadline passes first, the process says so on standard error
// and ends with the status it was going to end with.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace morvanta {

class ExitDeadline {
public:
    // Starts counting now; `status` is the exit status should the deadline pass.
    ExitDeadline(std::chrono::milliseconds limit, int status);
    // The process got here in time: the deadline is called off.
    ~ExitDeadline();
    ExitDeadline(const ExitDeadline&) = delete;
    ExitDeadline& operator=(const ExitDeadline&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread watcher_;
};

} // namespace morvanta
