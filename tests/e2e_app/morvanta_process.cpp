#include "tests/e2e_app/morvanta_process.h"

#include "tests/support/xvfb_server.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {

MorvantaProcess::Variables MorvantaProcess::x11Session(const std::string& display) {
    // Qt looks for no other platform than the test's X display, and Morvanta takes the session
    // for X11's even where the tests run inside a Wayland one. The session bus is the test's
    // own (DBUS_SESSION_BUS_ADDRESS, set by the fixture): no desktop tray or service is reached
    // through it, and no bus is started on demand that would outlive the test.
    return {{"DISPLAY", display},
            {"QT_QPA_PLATFORM", "xcb"},
            {"WAYLAND_DISPLAY", ""},
            {"XDG_SESSION_TYPE", "x11"},
            {"MORVANTA_BACKEND", ""}};
}

MorvantaProcess::MorvantaProcess(const std::string& display,
                                 const std::vector<std::string>& arguments,
                                 const std::filesystem::path& output)
    : MorvantaProcess(x11Session(display), arguments, output) {}

MorvantaProcess::MorvantaProcess(const Variables& variables,
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
    for (const auto& [name, value] : variables)
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
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
    return run(x11Session(display), arguments, output);
}

std::pair<int, std::string> MorvantaProcess::run(const Variables& variables,
                                                 const std::vector<std::string>& arguments,
                                                 const std::filesystem::path& output) {
    MorvantaProcess process(variables, arguments, output);
    const auto status = process.waitExit(std::chrono::seconds(30));
    return {status.value_or(-1000), process.output()};
}

} // namespace morvanta::testing
