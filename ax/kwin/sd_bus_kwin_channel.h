// SdBusKWinChannel: the KWin channel over the D-Bus session bus, with sd-bus. It owns the name
// `org.morvanta.KWinBridge`, serves Report and Poll on `/org/morvanta/KWinBridge`, holds the
// script's Poll until an answer is queued (or answers it with the heartbeat), and keeps the
// script alive through KWinScriptLoader and KWinScriptWatch: loaded at start, reloaded when it
// is lost, unloaded at close.
//
// Only KWin's own connection (the owner of org.kde.KWin, through which the script's callDBus
// goes) may call Report and Poll: any other caller could feed the backend invented window news,
// so it gets AccessDenied. Calls with the wrong arguments get sd-bus's InvalidArgs.
//
// Time: the channel has no run loop of its own, and needs none. Its one descriptor is an epoll
// set of the bus socket and a timerfd; the timerfd is armed for the earliest of the heartbeat,
// the loss and reload deadlines, sd-bus's own call timeouts, and "now" while anything already
// read waits. So the caller's run loop only watches eventDescriptor() and calls
// dispatchPending() when it is readable, and every deadline is met there; there is no second
// timer to keep in step. eventDescriptor() is therefore readable while messages wait (also ones
// sd-bus has already read into memory) and when a deadline has come; it is not readable after
// dispatchPending() has handled everything. Calls are made on one thread; callbacks must not
// destroy the channel.
//
// No sd-bus failure throws: a bus that cannot be reached or a name already owned leave the
// channel closed (isOpen() false, failure() says why); a bus lost later closes it the same way.
#pragma once

#include "ax/kwin/kwin_bridge_timings.h"
#include "ax/kwin/kwin_channel.h"
#include "ax/kwin/kwin_script_loader.h"
#include "ax/kwin/kwin_script_watch.h"
#include "ax/kwin/sd_bus_handles.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace morvanta {

class SdBusKWinChannel : public KWinChannel {
public:
    using Clock = std::chrono::steady_clock;
    using Log = std::function<void(const std::string&)>;

    static constexpr const char* busName = "org.morvanta.KWinBridge";
    static constexpr const char* objectPath = "/org/morvanta/KWinBridge";
    static constexpr const char* interfaceName = "org.morvanta.KWinBridge";
    static constexpr const char* heartbeatAnswer = R"({"batch": 0, "commands": []})";

    struct Options {
        // The script file KWin loads.
        std::string scriptPath;
        // The bus to use; empty: the session bus of DBUS_SESSION_BUS_ADDRESS.
        std::string busAddress;
        KWinBridgeTimings timings;
        // Where the channel's lines for the diagnostics log go.
        Log log;
    };

    explicit SdBusKWinChannel(Options options);
    // Unloads the script from KWin and leaves the bus.
    ~SdBusKWinChannel() override;
    SdBusKWinChannel(const SdBusKWinChannel&) = delete;
    SdBusKWinChannel& operator=(const SdBusKWinChannel&) = delete;

    void answer(std::string message) override;
    void dispatchPending() override;
    bool waitForMessage(std::chrono::milliseconds timeout) override;
    int eventDescriptor() const override { return epoll_; }
    bool isOpen() const override { return bus_ != nullptr; }

    // Why the channel is closed; "" while it is open.
    const std::string& failure() const { return failure_; }
    // Whether KWin owns its name on the bus now.
    bool kwinPresent() const { return loader_ && !loader_->kwinOwner().empty(); }

private:
    // What dispatchPending hands out, in the order it happened.
    struct Event {
        bool scriptLost = false;
        std::string message;
    };

    static int reportCalled(sd_bus_message* call, void* self, sd_bus_error* error);
    static int pollCalled(sd_bus_message* call, void* self, sd_bus_error* error);

    bool makeDescriptors();
    bool connect(const std::string& address);
    bool serve();
    void fail(std::string reason);
    // Queues the text of a call KWin made; otherwise sets the error to reply with and returns
    // it (negative).
    int acceptCall(sd_bus_message* call, sd_bus_error* error);
    void receivePoll(sd_bus_message* call);

    // Processes the bus, meets the deadlines, hands out the events, and re-arms the descriptor.
    void pump();
    bool processBus();
    void meetDeadlines(Clock::time_point now);
    void startLoad(Clock::time_point now);
    void loseScript(const std::string& reason);
    // Forgets what belonged to the script's instance: a load under way, the answers it did not
    // take, its held Poll (answered with the heartbeat, so nothing waits on a dead caller).
    void dropScriptState();
    void kwinOwnerChanged(const std::string& owner);
    void deliver();
    void rearm();
    std::optional<Clock::time_point> nextWake() const;

    void replyToHeldPoll(const std::string& text);
    void sendAnswer(sd_bus_message* poll, const std::string& text);

    Options options_;
    std::string failure_;
    sd_bus* bus_ = nullptr;
    SdBusSlot object_;
    std::unique_ptr<KWinScriptLoader> loader_;
    KWinScriptWatch watch_;
    int epoll_ = -1;
    int timer_ = -1;
    int busDescriptor_ = -1;

    SdBusMessage heldPoll_;
    Clock::time_point heldSince_{};
    std::deque<std::string> answers_;
    std::deque<Event> events_;
    std::uint64_t messagesHanded_ = 0;
};

} // namespace morvanta
