// MorvantaProcess: the real `morvanta` program, started on a test display with the test's
// environment (its private XDG folders), its output collected in a file. The test drives it
// from outside, as a user would: signals, a second launch, key presses on the display.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvanta::testing {

class MorvantaProcess {
public:
    using Variables = std::map<std::string, std::string>;

    // Starts `morvanta` with `arguments` on the X display `display`, in an X11 session whatever
    // the test's own; its standard output and error go to `output`.
    MorvantaProcess(const std::string& display, const std::vector<std::string>& arguments,
                    const std::filesystem::path& output);
    // Starts it with `variables` set over the test's environment (an empty value unsets one).
    MorvantaProcess(const Variables& variables, const std::vector<std::string>& arguments,
                    const std::filesystem::path& output);
    // Kills a program still running (SIGKILL).
    ~MorvantaProcess();
    MorvantaProcess(const MorvantaProcess&) = delete;
    MorvantaProcess& operator=(const MorvantaProcess&) = delete;

    bool ok() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void signal(int number) const;
    // The exit status once the program has ended within `deadline`; -signal when a signal
    // ended it; none while it still runs.
    std::optional<int> waitExit(std::chrono::milliseconds deadline = std::chrono::seconds(10));
    std::string output() const;

    // Runs `morvanta` with `arguments` to its end; answers its exit status and output.
    static std::pair<int, std::string> run(const std::string& display,
                                           const std::vector<std::string>& arguments,
                                           const std::filesystem::path& output);
    static std::pair<int, std::string> run(const Variables& variables,
                                           const std::vector<std::string>& arguments,
                                           const std::filesystem::path& output);

    // The variables of an X11 session on `display`.
    static Variables x11Session(const std::string& display);

private:
    pid_t pid_ = -1;
    std::filesystem::path output_;
};

} // namespace morvanta::testing
