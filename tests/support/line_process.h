// LineProcess: a helper program the tests start on their private display and talk to over its
// standard input and output, one command line in, one reply line out, each read with a deadline.
// The window test client and the controller host are both driven this way.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvanta::testing {

class LineProcess {
public:
    // Starts `program` with `arguments`, DISPLAY set to `display` and the variables of
    // `environment` set besides.
    LineProcess(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& display,
                const std::map<std::string, std::string>& environment = {});
    // Kills the process (SIGKILL) if it still runs.
    ~LineProcess();
    LineProcess(const LineProcess&) = delete;
    LineProcess& operator=(const LineProcess&) = delete;

    // The path of a program built into the same folder as the running test.
    static std::string besideThisTest(const std::string& name);

    bool ok() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Sends one line; answers the reply line ("" when none came in time or the process is gone).
    std::string command(const std::string& line,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10));
    // Closes its standard input and waits up to `deadline` for it to exit on its own; SIGKILL
    // after that. Answers whether it exited on its own.
    bool finish(std::chrono::milliseconds deadline);
    // SIGKILL at once: nothing of the process's own shutdown runs.
    void kill();

private:
    void closePipes();

    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string buffer_;
};

} // namespace morvanta::testing
