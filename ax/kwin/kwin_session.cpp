#include "ax/kwin/kwin_session.h"

#include <algorithm>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {
bool isHello(const KWinEvent& event) {
    return std::holds_alternative<KWinHello>(event);
}
} // namespace

KWinSession::KWinSession(KWinChannel& channel, KWinSessionOptions options)
    : channel_(channel), options_(std::move(options)) {
    if (!options_.clock)
        options_.clock = [] { return std::chrono::steady_clock::now(); };
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = wake_;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
    watchChannel();
    channel_.onMessage = [this](const std::string& text) { handle(text); };
    channel_.onScriptLost = [this] { lose("KWin script lost; waiting for it to start again."); };
}

KWinSession::~KWinSession() {
    channel_.onMessage = nullptr;
    channel_.onScriptLost = nullptr;
    ::close(wake_);
    ::close(epoll_);
}

void KWinSession::watchChannel() {
    // The channel may open its descriptor late or anew (a new bus connection).
    const int fd = channel_.eventDescriptor();
    if (fd == watched_)
        return;
    if (watched_ >= 0)
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, watched_, nullptr);
    watched_ = -1;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (fd >= 0 && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) == 0)
        watched_ = fd;
}

void KWinSession::wake() {
    if (woken_)
        return;
    woken_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
}

void KWinSession::receive() {
    if (woken_) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(wake_, &count, sizeof count);
        woken_ = false;
    }
    watchChannel();
    channel_.dispatchPending();
    epoll_event events[4];
    ::epoll_wait(epoll_, events, 4, 0); // clears the set's ready list
}

void KWinSession::problem(const std::string& line) {
    if (problemLines_ > maxProblemLines)
        return;
    if (++problemLines_ > maxProblemLines)
        tell("⚠️ KWin script: further unreadable messages of this instance are not logged.");
    else
        tell(line);
}

void KWinSession::handle(const std::string& text) {
    const auto message = readKWinMessage(text, [this](const std::string& line) { problem(line); });
    if (!message)
        return;
    if (message->script != token_)
        startInstance(message->script);
    if (stalled_) {
        stalled_ = false;
        tell("KWin script answers again.");
    }
    const auto& events = message->events;
    auto from = events.begin();
    const auto hello = std::find_if(events.rbegin(), events.rend(), isHello);
    if (!live_) {
        // Before its hello an instance's news is moot: the hello replaces everything.
        if (hello == events.rend()) {
            requestResync();
            return;
        }
        from = hello.base() - 1;
        live_ = true;
        dropsTold_ = false;
        lastAcked_ = lastSent_; // only requests for a hello went out: it came
    }
    if (onEvents && from != events.end())
        onEvents(std::span<const KWinEvent>(&*from, static_cast<std::size_t>(events.end() - from)));
    if (message->ack)
        acknowledge(*message->ack);
    if (hello != events.rend())
        for (auto& then : std::exchange(afterHello_, {}))
            then();
}

void KWinSession::startInstance(const std::string& token) {
    if (!token_.empty() || live_)
        lose("KWin script started anew.");
    token_ = token;
    resyncs_ = 0;
    problemLines_ = 0;
}

void KWinSession::lose(const std::string& why) {
    if (!token_.empty())
        tell(why);
    token_.clear();
    live_ = false;
    stalled_ = false;
    if (!queue_.empty())
        tell("KWin script gone: " + std::to_string(queue_.size()) + " command(s) not sent.");
    queue_.clear();
    // Batches not acknowledged went with the script.
    lastAcked_ = lastSent_;
    for (auto& p : pending_)
        afterHello_.push_back(std::move(p.then));
    pending_.clear();
}

void KWinSession::acknowledge(std::uint64_t batch) {
    if (batch <= lastAcked_ || batch > lastSent_)
        return; // a stale or foreign number
    lastAcked_ = batch;
    std::vector<std::function<void()>> due;
    std::erase_if(pending_, [&](Pending& p) {
        if (p.batch > batch)
            return false;
        due.push_back(std::move(p.then));
        return true;
    });
    for (auto& then : due)
        then();
}

void KWinSession::requestResync() {
    if (resyncs_ >= maxResyncs || !channel_.isOpen())
        return;
    ++resyncs_;
    tell("A KWin script instance has not said hello; asking it to.");
    channel_.answer(writeKWinBatch(++lastSent_, {KWinCommand{}}));
}

void KWinSession::queue(KWinCommand command) {
    queue_.push_back(std::move(command));
    wake();
}

void KWinSession::flush() {
    if (queue_.empty())
        return;
    if (!live()) {
        if (!dropsTold_)
            tell("KWin script not running: commands dropped until it says hello.");
        dropsTold_ = true;
        queue_.clear();
        // What was to follow these commands waits for the new truth.
        std::erase_if(pending_, [&](Pending& p) {
            if (p.batch <= lastSent_)
                return false;
            afterHello_.push_back(std::move(p.then));
            return true;
        });
        return;
    }
    channel_.answer(writeKWinBatch(++lastSent_, queue_));
    queue_.clear();
}

void KWinSession::settle() {
    flush();
    waitFor(lastSent_);
}

void KWinSession::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = options_.clock() + limit;
    while (live() && !stalled_ && !done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - options_.clock());
        if (left.count() <= 0 || !channel_.waitForMessage(left))
            return;
    }
}

void KWinSession::waitFor(std::uint64_t batch) {
    if (!live() || stalled_ || lastAcked_ >= batch)
        return;
    const auto deadline = options_.clock() + options_.requestDeadline;
    while (live() && lastAcked_ < batch) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - options_.clock());
        if (left.count() <= 0 || !channel_.waitForMessage(left)) {
            if (live() && lastAcked_ < batch) {
                stalled_ = true;
                tell("⚠️ KWin script did not carry out batch " + std::to_string(batch) +
                     " within " + std::to_string(options_.requestDeadline.count()) +
                     " ms; not waiting for it until it answers.");
            }
            return;
        }
    }
}

void KWinSession::whenCarriedOut(std::function<void()> then) {
    if (!live_) {
        afterHello_.push_back(std::move(then));
        return;
    }
    const std::uint64_t batch = queue_.empty() ? lastSent_ : lastSent_ + 1;
    if (batch <= lastAcked_)
        then();
    else
        pending_.push_back({batch, std::move(then)});
}

} // namespace morvanta
