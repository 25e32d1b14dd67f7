// KWinSession: Morvanta's side of the conversation with one KWin script at a time, over a
// KWinChannel. It reads the script's messages, tells script instances apart by their token
// (events of an instance count only from its hello on; an instance that has not said hello is
// asked for one), sends queued commands as one batch per flush, and waits for a batch's
// acknowledgement within a deadline.
//
// A script that lets a deadline pass is not waited for again until it answers: a dead script
// costs one deadline, not one per request. A lost script (the channel's onScriptLost, or a new
// instance's token) takes its unacknowledged batches with it, and what was to follow them waits
// for the next hello instead.
//
// The descriptor is an epoll set of the channel's descriptor and a wake-up of the session's own,
// readable while the script's messages wait and while commands are queued, so whoever watches it
// dispatches, and queued commands go out, before the run loop sleeps.
#pragma once

#include "ax/kwin/kwin_channel.h"
#include "ax/kwin/kwin_messages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace morvanta {

struct KWinSessionOptions {
    // How long a waiting request waits for the script's acknowledgement.
    std::chrono::milliseconds requestDeadline{500};
    // The clock deadlines are measured on (tests pass a virtual one).
    std::function<std::chrono::steady_clock::time_point()> clock;
    KWinLog log;
};

class KWinSession {
public:
    // At most this many lines about one script instance's unreadable messages.
    static constexpr int maxProblemLines = 20;
    // At most this many requests for a hello to one script instance that has not sent one.
    static constexpr int maxResyncs = 3;

    KWinSession(KWinChannel& channel, KWinSessionOptions options);
    ~KWinSession();
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

    // The events of each message of the live instance, from its hello on.
    std::function<void(std::span<const KWinEvent>)> onEvents;

    // Whether an instance of the script has said hello and was not lost since.
    bool live() const { return live_ && channel_.isOpen(); }
    bool isOpen() const { return channel_.isOpen(); }
    // Whether the script let a deadline pass and has not answered since.
    bool stalled() const { return stalled_; }

    void queue(KWinCommand command);
    bool hasQueued() const { return !queue_.empty(); }
    // Sends everything queued as one batch. Without a live script the commands are dropped:
    // its next hello is the whole truth, and the controller lays out again after it.
    void flush();
    // Flushes, then waits (up to the deadline) until the script has acknowledged every batch.
    void settle();
    // Reads the script's messages as they arrive until `done` holds, at most for `limit`; not at
    // all without a live script, or while it is stalled.
    void waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Runs `then` once every command queued or sent so far is carried out; when the script is
    // lost first, after the next instance's hello instead. At once when nothing is outstanding.
    void whenCarriedOut(std::function<void()> then);

    int descriptor() const { return epoll_; }
    // Makes the descriptor readable until the next dispatch.
    void wake();
    // Reads every message that has arrived. Does not flush.
    void receive();
    // Watches the channel's descriptor anew when it changed (a channel that opened late).
    void watchChannel();

private:
    struct Pending {
        std::uint64_t batch; // carried out once this batch is acknowledged
        std::function<void()> then;
    };

    void handle(const std::string& text);
    void startInstance(const std::string& token);
    void lose(const std::string& why);
    void acknowledge(std::uint64_t batch);
    void requestResync();
    void waitFor(std::uint64_t batch);
    void problem(const std::string& line);
    void tell(const std::string& line) const {
        if (options_.log)
            options_.log(line);
    }

    KWinChannel& channel_;
    KWinSessionOptions options_;
    int epoll_ = -1;
    int wake_ = -1;
    int watched_ = -1; // the channel's descriptor in the epoll set
    bool woken_ = false;

    std::string token_;
    bool live_ = false;
    bool stalled_ = false;
    int resyncs_ = 0;
    int problemLines_ = 0;
    bool dropsTold_ = false;

    std::vector<KWinCommand> queue_;
    std::uint64_t lastSent_ = 0;
    std::uint64_t lastAcked_ = 0;
    std::vector<Pending> pending_;
    std::vector<std::function<void()>> afterHello_;
};

} // namespace morvanta
