// SocketLineClient: one accepted connection of a local socket, served on the run loop without
// ever blocking it. The socket is non-blocking and watched on the loop; what arrives is cut into
// lines, each answered with one line through a handler; answers, and lines pushed later (a
// subscription's events), wait in a bounded buffer until the peer takes them. A peer that sends
// a line longer than the limit (told so, when a reply for that is set), leaves more unread
// output than the output limit, or sends no complete line within the idle limit is dropped, so
// a client that hangs or misbehaves costs the loop nothing but the bytes it sends.
#pragma once

#include "app/controller/run_loop.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvanta {

class SocketLineClient {
public:
    struct Limits {
        std::size_t maxLineBytes = 64 * 1024;
        std::size_t maxOutputBytes = 1024 * 1024;
        // The time a peer has for each line, counted from the connection or its last line.
        std::chrono::milliseconds idle{2000};
        // Sent to a peer whose line is too long before it is dropped; empty: dropped silently.
        std::string tooLongReply;
    };
    // Answers one request line (without its line feed) with one line (without its line feed).
    // It runs inside this connection's read, so it must not run a nested event loop; it may
    // call push, finishAfterOutput, stayOpen and hold on the connection it is given.
    using LineHandler =
        std::function<std::string(SocketLineClient& client, const std::string& line)>;

    // Takes `fd` (an accepted socket) and owns it from now on.
    SocketLineClient(RunLoop& loop, int fd, Limits limits, LineHandler handler);
    ~SocketLineClient();
    SocketLineClient(const SocketLineClient&) = delete;
    SocketLineClient& operator=(const SocketLineClient&) = delete;

    // Closed: the peer left or was dropped; the socket is closed and nothing is watched.
    bool closed() const { return fd_ < 0; }
    // Sends one line (without its line feed) as soon as the peer takes it; a peer that leaves
    // more than the output limit unread is dropped. Nothing happens once closed.
    void push(const std::string& line);
    // Reads nothing more and closes once everything queued is out (after a refused request).
    void finishAfterOutput();
    // No idle limit from now on (a subscriber): the connection ends when the peer ends its
    // side, is dropped for not reading, or is pushed out.
    void stayOpen();
    bool staysOpen() const { return staysOpen_; }
    // Keeps `object` alive until this connection is destroyed (a subscriber's feed).
    void hold(std::shared_ptr<void> object) { held_.push_back(std::move(object)); }
    // Called once, when the connection closes (never from the destructor). The owner may not
    // destroy this object from inside the call.
    std::function<void()> onClosed;

private:
    void readAvailable();
    void answerCompleteLines();
    // Queues one answer line; false, with the connection closed, when the buffer overflows.
    bool queue(const std::string& line);
    // Answers a line over the limit: its reply when one is set, then the end.
    void refuseTooLong();
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
    bool peerDone_ = false;  // the peer sent end of file: close once the answers are out
    bool finishing_ = false; // refused: close once the answers are out, read nothing more
    bool staysOpen_ = false;
    std::vector<std::shared_ptr<void>> held_;
    RunLoop::TaskID readWatch_ = 0;
    RunLoop::TaskID writeWatch_ = 0;
    RunLoop::TaskID idleTask_ = 0;
};

} // namespace morvanta
