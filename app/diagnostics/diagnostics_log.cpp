#include "app/diagnostics/diagnostics_log.h"

#include "app/diagnostics/write_all.h"
#include "app/diagnostics/xdg_folders.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::string localTimeOfDay() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[16];
    std::size_t length = std::strftime(text, sizeof text, "%H:%M:%S", &parts);
    return std::string(text, length);
}

} // namespace

DiagnosticsLog::DiagnosticsLog() : DiagnosticsLog(stateFolder()) {}

DiagnosticsLog::DiagnosticsLog(std::optional<fs::path> folder) {
    if (!folder)
        return;
    std::error_code ignored;
    fs::create_directories(*folder, ignored);
    file_ = *folder / "Morvanta.log";
    if (fs::is_regular_file(*file_, ignored) &&
        fs::file_size(*file_, ignored) > maxFileBytesAtStart && !ignored)
        fs::remove(*file_, ignored);
}

std::optional<fs::path> DiagnosticsLog::stateFolder() {
    if (auto state = XdgFolders::stateHome())
        return *state / "morvanta";
    return std::nullopt;
}

void DiagnosticsLog::append(std::string_view message) {
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about a chain of `+` here.
    std::string line(1, '[');
    line += localTimeOfDay();
    line += "] ";
    line += message;
    lines_.push_back(line);
    if (lines_.size() > maxLines)
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<long>(lines_.size() - maxLines));
    writeToFile(line);
    notify();
}

void DiagnosticsLog::clear() {
    lines_.clear();
    notify();
}

DiagnosticsLog::~DiagnosticsLog() {
    if (fd_ >= 0)
        ::close(fd_);
}

void DiagnosticsLog::writeToFile(const std::string& line) {
    if (!file_)
        return;
    // A file someone deleted is begun anew rather than written where nobody can read it.
    struct stat status {};
    if (fd_ >= 0 && (::fstat(fd_, &status) != 0 || status.st_nlink == 0)) {
        ::close(fd_);
        fd_ = -1;
    }
    // O_APPEND keeps each line whole at the end even if another process appends too.
    if (fd_ < 0)
        fd_ = ::open(file_->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return;
    writeAll(fd_, line + "\n");
}

void DiagnosticsLog::notify() {
    observers_.notify();
}

} // namespace morvanta
