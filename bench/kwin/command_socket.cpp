#include "bench/kwin/command_socket.h"

#include <cstring>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace morvanta::bench {

namespace {

constexpr int replyDeadlineMs = 5000;

} // namespace

std::filesystem::path CommandSocket::find(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = entry.path().filename().string();
        if (name.rfind("morvanta-", 0) == 0 && entry.path().extension() == ".socket")
            return entry.path();
    }
    return {};
}

CommandSocket::CommandSocket(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto text = socket.string();
    if (text.empty() || text.size() >= sizeof(address.sun_path))
        return;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

CommandSocket::~CommandSocket() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool CommandSocket::send(const std::string& command, const std::string& argument) {
    const std::string line =
        nlohmann::json{{"protocol", 1}, {"command", command}, {"argument", argument}}.dump() + "\n";
    std::size_t written = 0;
    while (fd_ >= 0 && written < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return written == line.size();
}

std::string CommandSocket::reply() {
    for (auto newline = buffer_.find('\n'); fd_ >= 0; newline = buffer_.find('\n')) {
        if (newline != std::string::npos) {
            std::string line = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            return line;
        }
        pollfd readable{fd_, POLLIN, 0};
        if (::poll(&readable, 1, replyDeadlineMs) <= 0)
            return "";
        char chunk[4096];
        const ssize_t n = ::read(fd_, chunk, sizeof(chunk));
        if (n <= 0)
            return "";
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
    return "";
}

} // namespace morvanta::bench
