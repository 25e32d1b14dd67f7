#include "tests/support/line_process.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace morvanta::testing {

LineProcess::LineProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& display,
                         const std::map<std::string, std::string>& environment) {
    int in[2], out[2];
    if (pipe(in) != 0)
        return;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
}

LineProcess::~LineProcess() {
    closePipes();
    kill();
}

std::string LineProcess::besideThisTest(const std::string& name) {
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : "";
    return path.substr(0, path.rfind('/') + 1) + name;
}

void LineProcess::closePipes() {
    if (to_ >= 0)
        close(to_);
    if (from_ >= 0)
        close(from_);
    to_ = from_ = -1;
}

void LineProcess::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool LineProcess::finish(std::chrono::milliseconds deadline) {
    closePipes();
    if (pid_ <= 0)
        return true;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill();
    return false;
}

std::string LineProcess::command(const std::string& line, std::chrono::milliseconds deadline) {
    if (pid_ <= 0 || to_ < 0)
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
