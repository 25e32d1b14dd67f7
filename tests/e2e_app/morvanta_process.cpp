#include "tests/e2e_app/morvanta_process.h"

#include "tests/support/xvfb_server.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {

MorvantaProcess::MorvantaProcess(const std::string& display,
                                 const std::vector<std::string>& arguments,
                                 const std::filesystem::path& output)
    : output_(output) {
    std::vector<std::string> argv{MORVANTA_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_ = fork();
    if (pid_ != 0)
        return;
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    setenv("DISPLAY", display.c_str(), 1);
    // Qt looks for no other platform than the test's X display. The session bus is the test's
    // own (DBUS_SESSION_BUS_ADDRESS, set by the fixture): no desktop tray or service is reached
    // through it, and no bus is started on demand that would outlive the test.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::vector<char*> raw;
    for (auto& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    execv(raw[0], raw.data());
    _exit(127);
}

MorvantaProcess::~MorvantaProcess() {
    if (pid_ > 0 && !waitExit(std::chrono::milliseconds(0))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void MorvantaProcess::signal(int number) const {
    if (pid_ > 0)
        kill(pid_, number);
}

std::optional<int> MorvantaProcess::waitExit(std::chrono::milliseconds deadline) {
    if (pid_ <= 0)
        return std::nullopt;
    std::optional<int> status;
    waitFor(
        [&] {
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) != pid_)
                return false;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
            return true;
        },
        deadline, std::chrono::milliseconds(10));
    if (status)
        pid_ = -1;
    return status;
}

std::string MorvantaProcess::output() const {
    std::ifstream in(output_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::pair<int, std::string> MorvantaProcess::run(const std::string& display,
                                                 const std::vector<std::string>& arguments,
                                                 const std::filesystem::path& output) {
    MorvantaProcess process(display, arguments, output);
    const auto status = process.waitExit(std::chrono::seconds(30));
    return {status.value_or(-1000), process.output()};
}

} // namespace morvanta::testing
