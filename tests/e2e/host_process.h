// HostProcess: runs morvanta-controller-host on a test display and sends it commands, reading
// its one-line answers with a deadline. Killing it with SIGKILL is how a crash is staged.
#pragma once

#include "tests/support/line_process.h"

#include <chrono>
#include <string>

namespace morvanta::testing {

class HostProcess {
public:
    explicit HostProcess(const std::string& display);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool ok() const { return process_.ok(); }
    // Sends one command; answers the reply line ("" when none came in time).
    std::string command(const std::string& line,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
        return process_.command(line, deadline);
    }
    // SIGKILL: nothing of the controller's own shutdown runs.
    void killHard() { process_.kill(); }

private:
    LineProcess process_;
};

} // namespace morvanta::testing
