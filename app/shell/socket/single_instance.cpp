#include "app/shell/socket/single_instance.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {

constexpr std::size_t maxReplyBytes = 256;
// Connections taken from the backlog in one turn of the loop; the rest wait for the next.
constexpr int acceptsPerTurn = 16;
// Callers that may wait to be taken: a burst of scripts' requests is not refused.
constexpr int listenBacklog = 128;

std::optional<std::filesystem::path> runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return std::filesystem::path(runtime);
    // Without a runtime dir: a folder only this user may enter, checked after creating it so a
    // folder someone else prepared is never used.
    const auto folder =
        std::filesystem::temp_directory_path() / ("morvanta-" + std::to_string(getuid()));
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 0077) != 0)
        return std::nullopt;
    return folder;
}

std::string displayKey(const std::string& display) {
    std::string name = display;
    // ":0" and ":0.0" are the same display: drop the screen number after the display number.
    const auto colon = name.rfind(':');
    if (colon != std::string::npos) {
        const auto dot = name.find('.', colon);
        if (dot != std::string::npos)
            name.erase(dot);
    }
    std::string key;
    for (const char c : name) {
        if (c == ':' && key.empty())
            continue;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-';
        key += plain ? c : '_';
    }
    return key.empty() ? "default" : key;
}

bool fillAddress(sockaddr_un& address, const std::filesystem::path& path) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// Waits until `fd` is ready for `events` or `limit` passes.
bool waitReady(int fd, short events, std::chrono::milliseconds limit) {
    pollfd entry{fd, events, 0};
    int result;
    do
        result = poll(&entry, 1, static_cast<int>(limit.count()));
    while (result < 0 && errno == EINTR);
    return result > 0;
}

// Reads up to a line feed; none when nothing complete arrives within `limit` or it is too long.
// Only the asking side waits like this; the serving side never blocks.
std::optional<std::string> readLine(int fd, std::chrono::milliseconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (line.size() <= maxReplyBytes) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !waitReady(fd, POLLIN, left))
            return std::nullopt;
        char chunk[64];
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return std::nullopt;
        line.append(chunk, static_cast<std::size_t>(n));
        const auto end = line.find('\n');
        if (end != std::string::npos)
            return line.substr(0, end);
    }
    return std::nullopt;
}

} // namespace

bool SingleInstance::sendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::filesystem::path> SingleInstance::socketPath(const std::string& display) {
    const auto folder = runtimeFolder();
    if (!folder)
        return std::nullopt;
    return *folder / ("morvanta-" + displayKey(display) + ".socket");
}

SingleInstance::Answer SingleInstance::ask(const std::filesystem::path& path,
                                           const std::string& request,
                                           std::chrono::milliseconds timeout) {
    Answer answer;
    sockaddr_un address;
    if (!fillAddress(address, path))
        return answer;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return answer;
    answer.reached = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (answer.reached && sendAll(fd, request + "\n"))
        answer.reply = readLine(fd, timeout);
    close(fd);
    return answer;
}

SingleInstance::~SingleInstance() {
    stop();
}

SingleInstance::Claim SingleInstance::claim(const std::filesystem::path& path) {
    stop();
    sockaddr_un address;
    if (!fillAddress(address, path))
        return Claim::failed;
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0)
        return Claim::failed;
    // Only this user may connect: the file is made without group or other permissions.
    const mode_t oldMask = umask(0077);
    int bound = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    bool taken = false;
    if (bound != 0 && errno == EADDRINUSE) {
        // A connection that is accepted, answered or not, means a Morvanta listens there; a
        // refused one means the file was left by a run that was killed, so it is ours to replace.
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        taken = probe >= 0 &&
                connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (probe >= 0)
            close(probe);
        if (!taken) {
            unlink(path.c_str());
            bound = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    umask(oldMask);
    if (bound != 0 || ::listen(fd_, listenBacklog) != 0) {
        close(std::exchange(fd_, -1));
        return taken ? Claim::taken : Claim::failed;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        inode_ = info.st_ino;
    path_ = path;
    return Claim::claimed;
}

void SingleInstance::serve(RunLoop& loop, Handler handler) {
    serve(loop, [handler = std::move(handler)](SocketLineClient&, const std::string& request) {
        return handler(request);
    });
}

void SingleInstance::serve(RunLoop& loop, ClientHandler handler) {
    if (fd_ < 0 || watch_ != 0)
        return;
    loop_ = &loop;
    handler_ = std::move(handler);
    watch_ = loop.watch(fd_, [this] { acceptPending(); });
}

std::size_t SingleInstance::clientCount() const {
    return static_cast<std::size_t>(std::count_if(clients_.begin(), clients_.end(),
                                                  [](const auto& c) { return !c->closed(); }));
}

void SingleInstance::acceptPending() {
    for (int i = 0; i < acceptsPerTurn; ++i) {
        const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // the backlog is empty (or the process is out of descriptors for now)
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != getuid()) {
            close(client); // another user: not a word
            continue;
        }
        std::erase_if(clients_, [](const auto& c) { return c->closed(); });
        if (clients_.size() >= maxClients)
            pushOutOldest();
        auto connection = std::make_unique<SocketLineClient>(
            *loop_, client, limits_, [this](SocketLineClient& from, const std::string& request) {
                return request == pingRequest ? std::string("pong") : handler_(from, request);
            });
        connection->onClosed = [this] { sweepLater(); };
        clients_.push_back(std::move(connection));
    }
}

void SingleInstance::pushOutOldest() {
    const auto answering =
        std::ranges::find_if(clients_, [](const auto& c) { return !c->staysOpen(); });
    clients_.erase(answering != clients_.end() ? answering : clients_.begin());
}

void SingleInstance::sweepLater() {
    if (sweep_ != 0 || !loop_)
        return;
    sweep_ = loop_->after(RunLoop::Duration::zero(), [this] {
        sweep_ = 0;
        std::erase_if(clients_, [](const auto& c) { return c->closed(); });
    });
}

void SingleInstance::stopServing() {
    clients_.clear();
    if (sweep_ != 0 && loop_)
        loop_->cancel(std::exchange(sweep_, 0));
    if (watch_ != 0 && loop_)
        loop_->cancel(std::exchange(watch_, 0));
    loop_ = nullptr;
}

void SingleInstance::stop() {
    stopServing();
    if (fd_ >= 0) {
        close(std::exchange(fd_, -1));
        // Remove the file only while it is still the one this object made.
        struct stat info {};
        if (stat(path_.c_str(), &info) == 0 && info.st_ino == inode_)
            unlink(path_.c_str());
    }
}

} // namespace morvanta
