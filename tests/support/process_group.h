// ProcessGroup: one program a test starts as the leader of a process group of its own, with an
// environment given in full, its output appended to a log file. Ending it ends the whole group
// (SIGTERM, then SIGKILL after a grace period): the helpers a program starts in its group
// (Xwayland under KWin) go with it, and nothing of it outlives the test: a small guard process
// kills the group when the test process dies without ending it (a crash, ctest's timeout).
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvanta::testing {

class ProcessGroup {
public:
    // Starts argv[0] (looked up on PATH) with exactly `environment` ("NAME=value" each); its
    // standard output and error go to `logFile` (appended; /dev/null when empty), its input is
    // /dev/null.
    ProcessGroup(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& logFile = "");
    ~ProcessGroup();
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

    bool ok() const { return pid_ > 0; }
    // The leader's process id, which is also the group's id.
    pid_t pid() const { return pid_; }
    // Whether the leader has not exited yet (reaps it when it has).
    bool running();
    // The leader's exit status once it exited by itself: the code, or 128 + signal.
    int exitStatus() const { return exitStatus_; }

    // Ends every process of the group: SIGTERM, up to `grace` for the leader to exit, then
    // SIGKILL to whatever of the group is left. Safe to call again.
    void end(std::chrono::milliseconds grace = std::chrono::seconds(3));

    // Whether any live process (zombies aside) still belongs to process group `group`.
    static bool anyAlive(pid_t group);

private:
    void startGuard();
    void endGuard();

    pid_t pid_ = -1;
    pid_t guard_ = -1;
    int guardPipe_ = -1; // the guard's lifeline: when it closes, the guard ends the group
    bool reaped_ = false;
    int exitStatus_ = -1;
};

} // namespace morvanta::testing
