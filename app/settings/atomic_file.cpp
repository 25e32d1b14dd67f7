#include "app/settings/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;

std::string temporaryPrefix(const fs::path& file) {
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about a chain of `+` here.
    std::string prefix(1, '.');
    prefix += file.filename().string();
    prefix += ".tmp-";
    return prefix;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool fail(std::string* error, const std::string& what) {
    if (error != nullptr)
        *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool AtomicFile::write(const fs::path& file, std::string_view bytes, std::string* error) {
    static std::atomic<unsigned> counter{0};
    fs::path temporary = file.parent_path() / (temporaryPrefix(file) + std::to_string(::getpid()) +
                                               "-" + std::to_string(counter++));
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(error, "cannot create " + temporary.string());
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
        if (written)
            savedErrno = errno;
        ::unlink(temporary.c_str());
        errno = savedErrno;
        return fail(error, (written ? "cannot replace " : "cannot write ") + file.string());
    }
    syncFolder(file.parent_path());
    return true;
}

void AtomicFile::removeStaleTemporaries(const fs::path& file) {
    std::string prefix = temporaryPrefix(file);
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(file.parent_path(), code)) {
        std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix))
            continue;
        // The writer's process id follows the prefix; a live writer keeps its temporary.
        long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove(entry.path(), code);
    }
}

void AtomicFile::syncFolder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace morvanta
