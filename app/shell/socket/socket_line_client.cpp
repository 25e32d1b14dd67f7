#include "app/shell/socket/socket_line_client.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {
// What one turn of the loop reads from one peer at most, so a peer that floods the socket
// cannot keep the loop from everything else; the rest is read on later turns.
constexpr std::size_t readBudgetPerTurn = 64 * 1024;
} // namespace

SocketLineClient::SocketLineClient(RunLoop& loop, int fd, Limits limits, LineHandler handler)
    : loop_(loop), fd_(fd), limits_(limits), handler_(std::move(handler)) {
    const int flags = fcntl(fd_, F_GETFL);
    if (flags < 0 || fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        ::close(std::exchange(fd_, -1));
        return;
    }
    readWatch_ = loop_.watch(fd_, [this] { readAvailable(); });
    restartIdleDeadline();
}

SocketLineClient::~SocketLineClient() {
    onClosed = nullptr;
    close();
}

void SocketLineClient::readAvailable() {
    std::size_t taken = 0;
    char chunk[4096];
    while (!closed() && !finishing_ && taken < readBudgetPerTurn) {
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n > 0) {
            input_.append(chunk, static_cast<std::size_t>(n));
            taken += static_cast<std::size_t>(n);
            answerCompleteLines();
            continue;
        }
        if (n == 0) {
            // The peer is done sending: an unfinished line is dropped, answers still go out.
            peerDone_ = true;
            input_.clear();
            loop_.cancel(std::exchange(readWatch_, 0));
            if (output_.empty() || staysOpen_)
                close();
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            close();
        return;
    }
}

void SocketLineClient::answerCompleteLines() {
    std::size_t start = 0;
    for (auto end = input_.find('\n', start); end != std::string::npos;
         end = input_.find('\n', start)) {
        if (end - start > limits_.maxLineBytes) {
            refuseTooLong();
            return;
        }
        std::string line = input_.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        restartIdleDeadline();
        if (!queue(handler_(*this, line)) || closed())
            return;
        if (finishing_) {
            input_.clear();
            flush();
            return;
        }
    }
    input_.erase(0, start);
    if (input_.size() > limits_.maxLineBytes) {
        refuseTooLong();
        return;
    }
    flush();
}

void SocketLineClient::refuseTooLong() {
    if (limits_.tooLongReply.empty()) {
        close();
        return;
    }
    input_.clear();
    finishAfterOutput();
    if (queue(limits_.tooLongReply))
        flush();
}

void SocketLineClient::push(const std::string& line) {
    if (!closed() && queue(line))
        flush();
}

void SocketLineClient::finishAfterOutput() {
    finishing_ = true;
    if (readWatch_ != 0)
        loop_.cancel(std::exchange(readWatch_, 0));
}

void SocketLineClient::stayOpen() {
    staysOpen_ = true;
    if (idleTask_ != 0)
        loop_.cancel(std::exchange(idleTask_, 0));
}

bool SocketLineClient::queue(const std::string& line) {
    if (closed())
        return false;
    output_ += line;
    output_ += '\n';
    if (output_.size() > limits_.maxOutputBytes) {
        close(); // the peer does not read what it asked for
        return false;
    }
    return true;
}

void SocketLineClient::flush() {
    while (!closed() && !output_.empty()) {
        const ssize_t n = send(fd_, output_.data(), output_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            output_.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (writeWatch_ == 0)
                writeWatch_ = loop_.watchWritable(fd_, [this] { flush(); });
            return;
        }
        close();
        return;
    }
    if (closed())
        return;
    if (writeWatch_ != 0)
        loop_.cancel(std::exchange(writeWatch_, 0));
    if (finishing_ || peerDone_)
        close();
}

void SocketLineClient::restartIdleDeadline() {
    if (idleTask_ != 0)
        loop_.cancel(std::exchange(idleTask_, 0));
    if (staysOpen_)
        return;
    idleTask_ = loop_.after(limits_.idle, [this] {
        idleTask_ = 0;
        close();
    });
}

void SocketLineClient::close() {
    if (closed())
        return;
    // The watches go before the descriptor, so nothing watches a closed (or reused) number.
    for (const RunLoop::TaskID task :
         {std::exchange(readWatch_, 0), std::exchange(writeWatch_, 0), std::exchange(idleTask_, 0)})
        if (task != 0)
            loop_.cancel(task);
    ::close(std::exchange(fd_, -1));
    input_.clear();
    output_.clear();
    if (auto notify = std::exchange(onClosed, nullptr))
        notify();
}

} // namespace morvanta
