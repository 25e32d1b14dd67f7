#include "ax/kwin/sd_bus_kwin_channel.h"

#include <cerrno>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {

// At most this many bus messages per dispatch, so a flood cannot hold the run loop; the rest
// stay readable (in the socket, or in memory with the timer armed for now).
constexpr int processBudget = 64;
// The bound of the calls the channel waits for while it opens (the bus daemon's own).
constexpr std::uint64_t openCallTimeoutMicroseconds = 2'000'000;

timespec toTimespec(std::chrono::nanoseconds value) {
    using namespace std::chrono;
    auto whole = duration_cast<seconds>(value);
    return timespec{static_cast<time_t>(whole.count()),
                    static_cast<long>(duration_cast<nanoseconds>(value - whole).count())};
}

std::string errorText(int negativeErrno) {
    return "error " + std::to_string(-negativeErrno);
}

} // namespace

SdBusKWinChannel::SdBusKWinChannel(Options options)
    : options_(std::move(options)), watch_(options_.timings) {
    if (!options_.log)
        options_.log = [](const std::string&) {};
    if (!makeDescriptors() || !connect(options_.busAddress) || !serve())
        return;
    if (!loader_->kwinOwner().empty())
        watch_.kwinPresent(Clock::now());
    else
        options_.log("KWin bridge: KWin is not on the session bus; waiting for it");
    rearm();
}

SdBusKWinChannel::~SdBusKWinChannel() {
    if (bus_) {
        replyToHeldPoll(heartbeatAnswer);
        loader_->unloadNow();
        loader_.reset();
        object_.reset();
        sd_bus_flush_close_unref(bus_);
    }
    if (timer_ >= 0)
        close(timer_);
    if (epoll_ >= 0)
        close(epoll_);
}

bool SdBusKWinChannel::makeDescriptors() {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event timerEvent{};
    timerEvent.events = EPOLLIN;
    timerEvent.data.fd = timer_;
    if (epoll_ < 0 || timer_ < 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, timer_, &timerEvent) != 0) {
        fail("KWin bridge: cannot make the channel's descriptors (" + errorText(-errno) + ")");
        return false;
    }
    return true;
}

bool SdBusKWinChannel::connect(const std::string& address) {
    int r = 0;
    if (address.empty()) {
        r = sd_bus_open_user(&bus_);
    } else {
        r = sd_bus_new(&bus_);
        if (r >= 0)
            r = sd_bus_set_address(bus_, address.c_str());
        if (r >= 0)
            r = sd_bus_set_bus_client(bus_, 1);
        if (r >= 0)
            r = sd_bus_start(bus_);
    }
    if (r >= 0)
        r = sd_bus_set_method_call_timeout(bus_, openCallTimeoutMicroseconds);
    busDescriptor_ = r >= 0 ? sd_bus_get_fd(bus_) : -1;
    epoll_event busEvent{};
    busEvent.events = EPOLLIN;
    busEvent.data.fd = busDescriptor_;
    if (r < 0 || busDescriptor_ < 0 ||
        epoll_ctl(epoll_, EPOLL_CTL_ADD, busDescriptor_, &busEvent) != 0) {
        busDescriptor_ = -1;
        fail("KWin bridge: cannot reach the session bus (" + errorText(r < 0 ? r : -errno) + ")");
        return false;
    }
    return true;
}

bool SdBusKWinChannel::serve() {
    // Unprivileged: sd-bus would otherwise ask callers on a bus it does not trust for
    // administrator rights; who may call is decided in acceptCall.
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Report", "s", "", &reportCalled, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Poll", "s", "s", &pollCalled, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_add_object_vtable(bus_, &slot, objectPath, interfaceName, vtable, this);
    if (r < 0) {
        fail("KWin bridge: cannot serve " + std::string(objectPath) + " (" + errorText(r) + ")");
        return false;
    }
    object_.reset(slot);
    r = sd_bus_request_name(bus_, busName, 0);
    if (r == -EEXIST) {
        fail(std::string("KWin bridge: another program (another Morvanta?) owns ") + busName +
             " on the session bus");
        return false;
    }
    if (r < 0) {
        fail(std::string("KWin bridge: cannot own ") + busName + " (" + errorText(r) + ")");
        return false;
    }
    loader_ = std::make_unique<KWinScriptLoader>(bus_, options_.scriptPath, options_.log);
    loader_->onOwnerChanged = [this](const std::string& owner) { kwinOwnerChanged(owner); };
    if (!loader_->start()) {
        fail("KWin bridge: cannot follow KWin on the session bus");
        return false;
    }
    return true;
}

void SdBusKWinChannel::fail(std::string reason) {
    options_.log(reason);
    failure_ = std::move(reason);
    heldPoll_.reset();
    answers_.clear();
    loader_.reset();
    object_.reset();
    if (busDescriptor_ >= 0)
        epoll_ctl(epoll_, EPOLL_CTL_DEL, busDescriptor_, nullptr);
    busDescriptor_ = -1;
    if (bus_)
        sd_bus_flush_close_unref(bus_);
    bus_ = nullptr;
    if (timer_ >= 0) {
        itimerspec off{};
        timerfd_settime(timer_, 0, &off, nullptr);
    }
}

int SdBusKWinChannel::acceptCall(sd_bus_message* call, sd_bus_error* error) {
    const char* sender = sd_bus_message_get_sender(call);
    const std::string& kwin = loader_->kwinOwner();
    if (!sender || kwin.empty() || kwin != sender)
        return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED,
                                "only KWin's Morvanta script may call the bridge");
    const char* argument = nullptr;
    int r = sd_bus_message_read(call, "s", &argument);
    if (r < 0 || !argument)
        return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "one string expected");
    events_.push_back(Event{false, argument});
    if (loader_->scriptLoaded())
        watch_.messageArrived();
    return 0;
}

int SdBusKWinChannel::reportCalled(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto* channel = static_cast<SdBusKWinChannel*>(self);
    int r = channel->acceptCall(call, error);
    if (r < 0)
        return r;
    return sd_bus_reply_method_return(call, "");
}

int SdBusKWinChannel::pollCalled(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto* channel = static_cast<SdBusKWinChannel*>(self);
    int r = channel->acceptCall(call, error);
    if (r < 0)
        return r;
    channel->receivePoll(call);
    return 1;
}

void SdBusKWinChannel::receivePoll(sd_bus_message* call) {
    // The script keeps one Poll waiting; an older one still held belongs to a caller that gave
    // up on it, so it gets the heartbeat and queued answers wait for this one.
    if (heldPoll_) {
        sendAnswer(heldPoll_.get(), heartbeatAnswer);
        heldPoll_.reset();
    }
    watch_.pollArrived();
    if (answers_.empty()) {
        heldPoll_.reset(sd_bus_message_ref(call));
        heldSince_ = Clock::now();
        return;
    }
    sendAnswer(call, answers_.front());
    answers_.pop_front();
    watch_.pollAnswered(Clock::now());
}

void SdBusKWinChannel::sendAnswer(sd_bus_message* poll, const std::string& text) {
    int r = sd_bus_reply_method_return(poll, "s", text.c_str());
    if (r >= 0)
        return;
    // Text D-Bus refuses (not UTF-8) must not leave the script's Poll hanging: it gets the
    // heartbeat, and the log says what was dropped.
    options_.log("KWin bridge: an answer to the script could not be sent (" + errorText(r) + "); " +
                 std::to_string(text.size()) + " bytes dropped");
    if (text != heartbeatAnswer)
        sd_bus_reply_method_return(poll, "s", heartbeatAnswer);
}

void SdBusKWinChannel::replyToHeldPoll(const std::string& text) {
    if (!heldPoll_)
        return;
    sendAnswer(heldPoll_.get(), text);
    heldPoll_.reset();
    watch_.pollAnswered(Clock::now());
}

void SdBusKWinChannel::answer(std::string message) {
    if (!bus_)
        return;
    if (heldPoll_)
        replyToHeldPoll(message);
    else
        answers_.push_back(std::move(message));
    rearm();
}

void SdBusKWinChannel::dispatchPending() {
    pump();
}

bool SdBusKWinChannel::waitForMessage(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const std::uint64_t before = messagesHanded_;
    pump();
    while (messagesHanded_ == before && bus_) {
        auto now = Clock::now();
        if (now >= deadline)
            return false;
        timespec remaining = toTimespec(deadline - now);
        pollfd watched{epoll_, POLLIN, 0};
        if (ppoll(&watched, 1, &remaining, nullptr) < 0 && errno != EINTR)
            return false;
        pump();
    }
    return messagesHanded_ != before;
}

void SdBusKWinChannel::pump() {
    std::uint64_t expirations = 0;
    if (timer_ >= 0 && read(timer_, &expirations, sizeof expirations) < 0)
        expirations = 0;
    if (bus_ && processBus())
        meetDeadlines(Clock::now());
    deliver();
    rearm();
}

bool SdBusKWinChannel::processBus() {
    for (int i = 0; i < processBudget; ++i) {
        int r = sd_bus_process(bus_, nullptr);
        if (r == 0)
            return true;
        if (r < 0) {
            bool scriptWasLoaded = watch_.loaded();
            fail("KWin bridge: lost the session bus (" + errorText(r) + ")");
            if (scriptWasLoaded)
                events_.push_back(Event{true, {}});
            return false;
        }
    }
    return true;
}

void SdBusKWinChannel::meetDeadlines(Clock::time_point now) {
    if (heldPoll_ && now >= heldSince_ + options_.timings.heartbeat)
        replyToHeldPoll(heartbeatAnswer);
    // A loss schedules a load, which may be due at once: a few rounds settle it.
    for (int round = 0; round < 3; ++round) {
        switch (watch_.expire(now)) {
        case KWinScriptWatch::Due::nothing:
            return;
        case KWinScriptWatch::Due::load:
            startLoad(now);
            break;
        case KWinScriptWatch::Due::lost:
            loseScript("KWin bridge: the script stopped answering; loading it again");
            break;
        }
    }
}

void SdBusKWinChannel::startLoad(Clock::time_point now) {
    watch_.loadStarted(now);
    options_.log("KWin bridge: loading " + options_.scriptPath + " into KWin");
    loader_->load([this](bool running) {
        if (running)
            options_.log("KWin bridge: KWin runs the script");
        else
            watch_.loadFailed(Clock::now());
    });
}

void SdBusKWinChannel::loseScript(const std::string& reason) {
    options_.log(reason);
    dropScriptState();
    events_.push_back(Event{true, {}});
}

void SdBusKWinChannel::dropScriptState() {
    loader_->cancel();
    answers_.clear();
    replyToHeldPoll(heartbeatAnswer);
}

void SdBusKWinChannel::kwinOwnerChanged(const std::string& owner) {
    auto now = Clock::now();
    bool scriptWasLoaded = watch_.lose(now);
    if (owner.empty())
        watch_.kwinAbsent();
    else
        watch_.kwinPresent(now);
    std::string reason = owner.empty() ? "KWin bridge: KWin left the session bus"
                                       : "KWin bridge: KWin restarted; loading the script again";
    if (scriptWasLoaded) {
        loseScript(reason);
    } else {
        options_.log(reason);
        dropScriptState();
    }
}

void SdBusKWinChannel::deliver() {
    while (!events_.empty()) {
        Event event = std::move(events_.front());
        events_.pop_front();
        if (event.scriptLost) {
            if (onScriptLost)
                onScriptLost();
        } else {
            ++messagesHanded_;
            if (onMessage)
                onMessage(event.message);
        }
    }
}

void SdBusKWinChannel::rearm() {
    if (bus_ && busDescriptor_ >= 0) {
        int wanted = sd_bus_get_events(bus_);
        epoll_event busEvent{};
        std::uint32_t mask = 0;
        if (wanted > 0 && (wanted & POLLIN))
            mask |= EPOLLIN;
        if (wanted > 0 && (wanted & POLLOUT))
            mask |= EPOLLOUT;
        busEvent.events = mask;
        busEvent.data.fd = busDescriptor_;
        epoll_ctl(epoll_, EPOLL_CTL_MOD, busDescriptor_, &busEvent);
    }
    if (timer_ < 0)
        return;
    itimerspec when{};
    if (auto wake = nextWake()) {
        // An absolute time of zero would disarm the timer; one nanosecond is already past.
        auto sinceBoot = std::max(wake->time_since_epoch(), Clock::duration(1));
        when.it_value = toTimespec(sinceBoot);
    }
    timerfd_settime(timer_, TFD_TIMER_ABSTIME, &when, nullptr);
}

std::optional<SdBusKWinChannel::Clock::time_point> SdBusKWinChannel::nextWake() const {
    std::optional<Clock::time_point> wake;
    auto consider = [&wake](Clock::time_point at) {
        if (!wake || at < *wake)
            wake = at;
    };
    if (!events_.empty())
        consider(Clock::time_point{});
    if (!bus_)
        return wake;
    if (heldPoll_)
        consider(heldSince_ + options_.timings.heartbeat);
    if (auto due = watch_.nextDeadline())
        consider(*due);
    // sd-bus's own deadlines (its calls' timeouts), and zero while messages it has read wait.
    std::uint64_t busWake = 0;
    if (sd_bus_get_timeout(bus_, &busWake) >= 0 && busWake != UINT64_MAX)
        consider(Clock::time_point(std::chrono::microseconds(busWake)));
    return wake;
}

} // namespace morvanta
