#include "tests/x11/test_client.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {

namespace {

std::string clientPath() {
    // Tests and the client are built into the same folder.
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    dir = dir.substr(0, dir.rfind('/') + 1);
    return dir + "morvanta-testclient";
}

} // namespace

TestClient::TestClient(const std::string& display) {
    int in[2], out[2];
    if (pipe(in) != 0)
        return;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    const std::string path = clientPath();
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
}

TestClient::~TestClient() {
    if (to_ >= 0)
        close(to_);
    if (from_ >= 0)
        close(from_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void TestClient::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string TestClient::command(const std::string& line, std::chrono::milliseconds deadline) {
    if (pid_ <= 0)
        return {};
    const std::string text = line + "\n";
    if (write(to_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return {};
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        const auto newline = buffer_.find('\n');
        if (newline != std::string::npos) {
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

std::uint32_t TestClient::open(const std::string& name, int x, int y, int w, int h, bool map) {
    const std::string reply =
        command(std::string(map ? "open " : "create ") + name + " " + std::to_string(x) + " " +
                std::to_string(y) + " " + std::to_string(w) + " " + std::to_string(h));
    const std::string prefix = "window " + name + " ";
    if (reply.rfind(prefix, 0) != 0)
        return 0;
    return static_cast<std::uint32_t>(std::strtoul(reply.c_str() + prefix.size(), nullptr, 10));
}

} // namespace morvanta::testing
