// SocketLineClient: one accepted connection of a local socket, served on the run loop without
// ever blocking it. The socket is non-blocking and watched on the loop; what arrives is cut into
// lines, each answered with one line through a handler; answers wait in a bounded buffer until
// the peer takes them. A peer that sends a line longer than the limit, leaves more unread answers
// than the output limit, or sends no complete line within the idle limit is dropped, so a client
// that hangs or misbehaves costs the loop nothing but the bytes it sends.
#pragma once

#include "app/controller/run_loop.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace morvanta {

class SocketLineClient {
public:
    struct Limits {
        std::size_t maxLineBytes = 4096;
        std::size_t maxOutputBytes = 64 * 1024;
        // The time a peer has for each line, counted from the connection or its last line.
        std::chrono::milliseconds idle{2000};
    };
    // Answers one request line (without its line feed) with one line (without its line feed).
    // It runs inside this connection's read, so it must not run a nested event loop.
    using LineHandler = std::function<std::string(const std::string& line)>;

    // Takes `fd` (an accepted socket) and owns it from now on.
    SocketLineClient(RunLoop& loop, int fd, Limits limits, LineHandler handler);
    ~SocketLineClient();
    SocketLineClient(const SocketLineClient&) = delete;
    SocketLineClient& operator=(const SocketLineClient&) = delete;

    // Closed: the peer left or was dropped; the socket is closed and nothing is watched.
    bool closed() const { return fd_ < 0; }
    // Called once, when the connection closes (never from the destructor). The owner may not
    // destroy this object from inside the call.
    std::function<void()> onClosed;

private:
    void readAvailable();
    void answerCompleteLines();
    // Queues one answer line; false, with the connection closed, when the buffer overflows.
    bool queue(const std::string& line);
    // Sends what the peer will take now; watches for room while something is left.
    void flush();
    void restartIdleDeadline();
    void close();

    RunLoop& loop_;
    int fd_;
    Limits limits_;
    LineHandler handler_;
    std::string input_;
    std::string output_;
    bool peerDone_ = false; // the peer sent end of file: close once the answers are out
    RunLoop::TaskID readWatch_ = 0;
    RunLoop::TaskID writeWatch_ = 0;
    RunLoop::TaskID idleTask_ = 0;
};

} // namespace morvanta
