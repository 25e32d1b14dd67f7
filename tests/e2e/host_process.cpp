#include "tests/e2e/host_process.h"

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {

namespace {
std::string hostPath() {
    // Built into the same folder as the tests.
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    return dir.substr(0, dir.rfind('/') + 1) + "morvanta-controller-host";
}
} // namespace

HostProcess::HostProcess(const std::string& display) {
    int in[2], out[2];
    if (pipe(in) != 0)
        return;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    const std::string path = hostPath();
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        execl(path.c_str(), path.c_str(), display.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
}

HostProcess::~HostProcess() {
    if (pid_ > 0)
        command("quit", std::chrono::seconds(5));
    if (to_ >= 0)
        close(to_);
    if (from_ >= 0)
        close(from_);
    if (pid_ > 0) {
        // The host stops the controller and exits when its input closes.
        for (int i = 0; i < 500 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            usleep(10'000);
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void HostProcess::killHard() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string HostProcess::command(const std::string& line, std::chrono::milliseconds deadline) {
    if (pid_ <= 0)
        return {};
    const std::string text = line + "\n";
    if (write(to_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return {};
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        if (const auto newline = buffer_.find('\n'); newline != std::string::npos) {
            std::string reply = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            return reply;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return {};
        pollfd p{from_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char chunk[512];
        const ssize_t n = read(from_, chunk, sizeof(chunk));
        if (n <= 0)
            return {};
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

} // namespace morvanta::testing
