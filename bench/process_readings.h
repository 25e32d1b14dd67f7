// Readings of a running process from /proc that the benchmarks of the whole program share: a
// field of its status, and its CPU time and context switches summed over every thread.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/types.h>

namespace morvanta::bench {

// A field of /proc/<pid>/status (or of one thread's), in its own unit; -1 when missing.
inline long statusField(const std::filesystem::path& status, const std::string& field) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// The sum over every thread of the process of what `read` answers for its /proc task folder.
template <typename Read> long long overThreads(pid_t pid, Read read) {
    long long total = 0;
    std::error_code error;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error))
        total += read(task.path());
    return total;
}

inline long long cpuNanoseconds(pid_t pid) {
    return overThreads(pid, [](const std::filesystem::path& task) {
        std::ifstream in(task / "schedstat");
        long long onCpu = 0;
        in >> onCpu;
        return onCpu;
    });
}

inline long long contextSwitches(pid_t pid) {
    return overThreads(pid, [](const std::filesystem::path& task) {
        return statusField(task / "status", "voluntary_ctxt_switches") +
               statusField(task / "status", "nonvoluntary_ctxt_switches");
    });
}

} // namespace morvanta::bench
