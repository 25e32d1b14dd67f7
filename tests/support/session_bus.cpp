#include "tests/support/session_bus.h"

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {

namespace {

// The first line the daemon prints (its address), or "" when none came within five seconds.
std::string readAddress(int fd) {
    std::string line;
    char c = 0;
    pollfd watched{fd, POLLIN, 0};
    while (poll(&watched, 1, 5000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return c == '\n' ? line : std::string();
}

} // namespace

SessionBus::SessionBus() {
    int out[2];
    if (pipe(out) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
               "--print-address=1", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid_ > 0)
        address_ = readAddress(out[0]);
    close(out[0]);
}

SessionBus::~SessionBus() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

} // namespace morvanta::testing
