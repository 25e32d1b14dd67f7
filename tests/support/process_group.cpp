#include "tests/support/process_group.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace morvanta::testing {

namespace {

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (const auto& s : strings)
        result.push_back(const_cast<char*>(s.c_str()));
    result.push_back(nullptr);
    return result;
}

// The process group and state of one process from /proc/<pid>/stat; false when it is gone.
// The command name may hold spaces and parentheses, so the fields are read after its last ')'.
bool readStat(const std::string& pid, pid_t& group, char& state) {
    std::ifstream file("/proc/" + pid + "/stat");
    std::string text;
    if (!std::getline(file, text))
        return false;
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(text.substr(close + 1));
    pid_t parent = 0;
    return static_cast<bool>(fields >> state >> parent >> group);
}

} // namespace

ProcessGroup::ProcessGroup(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment,
                           const std::string& logFile) {
    if (argv.empty())
        return;
    auto args = pointers(argv);
    auto envp = pointers(environment);
    // Made before fork: the child only makes system calls until exec.
    const std::string failure = "cannot start " + argv[0] + "\n";
    pid_ = fork();
    if (pid_ > 0) {
        // Set on both sides, so the group exists before either goes on.
        setpgid(pid_, pid_);
        startGuard();
    }
    if (pid_ != 0)
        return;
    setpgid(0, 0);
    const int input = open("/dev/null", O_RDONLY);
    const int output = logFile.empty() ? open("/dev/null", O_WRONLY)
                                       : open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (input >= 0)
        dup2(input, STDIN_FILENO);
    if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
    }
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    execvpe(args[0], args.data(), envp.data());
    [[maybe_unused]] const auto ignored = write(STDERR_FILENO, failure.data(), failure.size());
    _exit(127);
}

ProcessGroup::~ProcessGroup() {
    end();
}

// The guard waits on a pipe whose only write end this process holds (close-on-exec, so no
// other child inherits it). The end of input comes when this process closes it, or dies: then
// the guard kills the group. It only reads, kills and exits, all safe after fork.
void ProcessGroup::startGuard() {
    int lifeline[2];
    if (pipe2(lifeline, O_CLOEXEC) != 0)
        return;
    const pid_t group = pid_;
    guard_ = fork();
    if (guard_ == 0) {
        for (int fd = 0; fd < 1024; ++fd)
            if (fd != lifeline[0])
                close(fd);
        char byte = 0;
        for (;;) {
            const ssize_t n = read(lifeline[0], &byte, 1);
            if (n == 0 || (n < 0 && errno != EINTR))
                break;
        }
        ::kill(-group, SIGKILL);
        _exit(0);
    }
    close(lifeline[0]);
    guardPipe_ = guard_ > 0 ? lifeline[1] : (close(lifeline[1]), -1);
}

void ProcessGroup::endGuard() {
    if (guardPipe_ >= 0)
        close(guardPipe_);
    guardPipe_ = -1;
    if (guard_ > 0)
        waitpid(guard_, nullptr, 0);
    guard_ = -1;
}

bool ProcessGroup::running() {
    if (pid_ <= 0 || reaped_)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_)
        return true;
    reaped_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

void ProcessGroup::end(std::chrono::milliseconds grace) {
    if (pid_ <= 0) {
        endGuard();
        return;
    }
    ::kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The leader gone, whatever it left in its group is ended too.
    ::kill(-pid_, SIGKILL);
    endGuard();
    if (!reaped_) {
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        exitStatus_ = 128 + SIGKILL;
    }
    const auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (anyAlive(pid_) && std::chrono::steady_clock::now() < settled)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pid_ = -1;
}

bool ProcessGroup::anyAlive(pid_t group) {
    DIR* proc = opendir("/proc");
    if (!proc)
        return false;
    bool alive = false;
    while (const dirent* entry = readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t processGroup = 0;
        char state = 0;
        if (readStat(name, processGroup, state) && processGroup == group && state != 'Z' &&
            state != 'X') {
            alive = true;
            break;
        }
    }
    closedir(proc);
    return alive;
}

} // namespace morvanta::testing
