#include "app/diagnostics/pending_reports.h"

#include "app/diagnostics/write_all.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

// The pid in "crash-<pid>…" or "hang-<pid>-…"; none for other names.
std::optional<pid_t> ownerOf(const std::string& name) {
    std::string_view rest = name;
    if (rest.starts_with("crash-"))
        rest.remove_prefix(6);
    else if (rest.starts_with("hang-"))
        rest.remove_prefix(5);
    else
        return std::nullopt;
    pid_t pid = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || pid <= 0)
        return std::nullopt;
    return pid;
}

bool isRunning(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

std::optional<std::string> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<DiagnosticPayload> readReport(const fs::path& path) {
    std::string name = path.filename().string();
    auto text = readAll(path);
    if (!text)
        return std::nullopt;
    if (name.starts_with("crash-") && name.ends_with(".report"))
        return DiagnosticPayload::fromCrashRecord(*text);
    if (name.starts_with("hang-") && name.ends_with(".json"))
        return DiagnosticPayload::fromHangReport(*text);
    return std::nullopt;
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

} // namespace

PendingReports::PendingReports(fs::path folder) : folder_(std::move(folder)) {}

PendingReports::Collection PendingReports::collect(pid_t ownPid) const {
    Collection found;
    std::error_code error;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder_, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        auto owner = ownerOf(file.filename().string());
        // A file carrying this process's own id was left by an earlier process that had the
        // same id: this one writes nothing before it has collected.
        if (owner && *owner != ownPid && isRunning(*owner))
            continue;
        if (auto payload = readReport(file))
            found.reports.push_back({file, std::move(*payload)});
        else
            found.unreadable.push_back(file);
    }
    return found;
}

std::optional<fs::path> PendingReports::writeHang(const nlohmann::json& report,
                                                  unsigned number) const {
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    std::string stem = "hang-" + std::to_string(getpid()) + "-" + std::to_string(number);
    fs::path partial = folder_ / (stem + ".partial");
    fs::path complete = folder_ / (stem + ".json");
    std::string bytes = report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (!writeWhole(partial, bytes + "\n")) {
        fs::remove(partial, ignored);
        return std::nullopt;
    }
    fs::rename(partial, complete, ignored);
    if (ignored) {
        fs::remove(partial, ignored);
        return std::nullopt;
    }
    return complete;
}

} // namespace morvanta
