// SignalQuit: turns SIGTERM and SIGINT into the application's ordinary quit. The signal handler
// only writes the signal's number into a pipe (the one thing a handler may safely do); the run
// loop watches the pipe's read end and, on the main thread, calls the quit function, so the
// controller stops and every parked window comes back before the process ends. The default
// action (immediate death) never happens while this object lives. One per process.
#pragma once

#include "app/controller/run_loop.h"

#include <functional>

namespace morvanta {

class SignalQuit {
public:
    // `quit` gets the signal's number. False from ok() when the pipe or handlers failed.
    SignalQuit(RunLoop& loop, std::function<void(int signal)> quit);
    ~SignalQuit();
    SignalQuit(const SignalQuit&) = delete;
    SignalQuit& operator=(const SignalQuit&) = delete;

    bool ok() const { return ok_; }
    // "SIGTERM", "SIGINT".
    static const char* name(int signal);

private:
    void drain();

    RunLoop& loop_;
    std::function<void(int)> quit_;
    RunLoop::TaskID watch_ = 0;
    bool ok_ = false;
};

} // namespace morvanta
