// SingleInstance: one Morvanta per X display and user. The running Morvanta listens on a local
// socket in $XDG_RUNTIME_DIR (user-only: the socket file is mode 0600 and every caller's user
// id is checked); a second launch finds it there, sends one request line ("open settings"),
// waits for the one-line answer and exits, which is how a user reaches a Morvanta whose tray
// icon is hidden or missing. A socket file left by a killed run answers nobody and is replaced.
//
// Callers are served on the run loop without ever blocking it: each accepted connection is a
// SocketLineClient that answers every request line it receives, and a caller that sends nothing
// is dropped after its idle limit. At most `maxClients` are kept; a new one pushes out the
// oldest (one that asked only for answers before a subscriber), so callers that hang cannot
// keep a second launch out.
#pragma once

#include "app/controller/run_loop.h"
#include "app/shell/socket/socket_line_client.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morvanta {

class SingleInstance {
public:
    static constexpr const char* openSettingsRequest = "open settings";
    static constexpr const char* pingRequest = "ping";
    static constexpr std::size_t maxClients = 128;
    using Handler = std::function<std::string(const std::string& request)>;
    // A handler that also reaches the connection (to keep it open, push lines, end it).
    using ClientHandler = SocketLineClient::LineHandler;

    // What a request to a running Morvanta came to.
    struct Answer {
        bool reached = false;             // something listens at the socket
        std::optional<std::string> reply; // its one-line reply, if it came in time
    };
    enum class Claim { claimed, taken, failed };

    // "<runtime dir>/morvanta-<display>.socket" for an X display name such as ":0" or
    // "localhost:10.0". The runtime dir is $XDG_RUNTIME_DIR, else a folder of this user's own in
    // the temporary folder; none when neither is usable.
    static std::optional<std::filesystem::path> socketPath(const std::string& display);

    // Sends `request` to the Morvanta listening at `path` and waits up to `timeout` for its reply.
    static Answer ask(const std::filesystem::path& path, const std::string& request,
                      std::chrono::milliseconds timeout);
    // Sends every byte of `text` on a connected socket, resuming after partial sends; false
    // when the other side went (never a SIGPIPE).
    static bool sendAll(int fd, const std::string& text);

    explicit SingleInstance(SocketLineClient::Limits limits = {}) : limits_(limits) {}
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the socket at `path`, replacing a file left by a run that was killed (nothing
    // listens there). `taken` when another Morvanta listens there; `failed` when the socket
    // cannot be made. Connections wait in the backlog until serve().
    Claim claim(const std::filesystem::path& path);
    // Answers each request line with `handler` on the run loop's thread ("ping" with "pong").
    void serve(RunLoop& loop, Handler handler);
    void serve(RunLoop& loop, ClientHandler handler);
    // Lets go of the run loop and every connection, before the loop ends; the socket stays
    // claimed (later callers wait in the backlog) until this object goes.
    void stopServing();
    bool claimed() const { return fd_ >= 0; }
    // Connections open now.
    std::size_t clientCount() const;

private:
    void acceptPending();
    // Removes closed connections on the loop's next turn (never inside their own callbacks).
    void sweepLater();
    // Makes room for one more connection: the oldest that is not a subscriber goes first.
    void pushOutOldest();
    void stop();

    RunLoop* loop_ = nullptr;
    ClientHandler handler_;
    std::filesystem::path path_;
    int fd_ = -1;
    ino_t inode_ = 0;
    RunLoop::TaskID watch_ = 0;
    SocketLineClient::Limits limits_;
    std::vector<std::unique_ptr<SocketLineClient>> clients_; // oldest first
    RunLoop::TaskID sweep_ = 0;
};

} // namespace morvanta
