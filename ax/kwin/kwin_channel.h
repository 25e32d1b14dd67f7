// KWinChannel: the transport between the KWin backend and its script (docs/kwin-bridge.md). It
// moves JSON texts and knows nothing of their meaning: the backend writes the answers to the
// script's Poll and reads every Report and Poll argument, in the order the script sent them.
// The session-bus channel implements it over D-Bus; tests drive the backend through a fake
// script that implements it in memory.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace morvanta {

class KWinChannel {
public:
    virtual ~KWinChannel() = default;

    // Hands one answer to the script: at once when its Poll waits, else to its next Poll. Answers
    // queue in order; none is dropped while the script lives.
    virtual void answer(std::string message) = 0;

    // Reads what has arrived without blocking and hands each message of the script to
    // onMessage, in the order sent.
    virtual void dispatchPending() = 0;
    // Waits up to `timeout` for at least one more message of the script and hands it, with
    // everything else that arrived, to onMessage; false when none came in time.
    virtual bool waitForMessage(std::chrono::milliseconds timeout) = 0;
    // Readable while messages wait to be dispatched.
    virtual int eventDescriptor() const = 0;

    // Whether the channel is up: the bus reached and the name owned.
    virtual bool isOpen() const = 0;

    // Each message of the script: the text of a Report or Poll argument.
    std::function<void(const std::string&)> onMessage;
    // The script was lost (it stopped polling, or KWin restarted); the channel loads it again
    // and the new instance's hello follows. Answers not yet taken are dropped with it.
    std::function<void()> onScriptLost;
};

} // namespace morvanta
