// HostProcess: runs morvanta-controller-host on a test display and sends it commands, reading
// its one-line answers with a deadline. Killing it with SIGKILL is how a crash is staged.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

namespace morvanta::testing {

class HostProcess {
public:
    explicit HostProcess(const std::string& display);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool ok() const { return pid_ > 0; }
    // Sends one command; answers the reply line ("" when none came in time).
    std::string command(const std::string& line,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // SIGKILL: nothing of the controller's own shutdown runs.
    void killHard();

private:
    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string buffer_;
};

} // namespace morvanta::testing
