#include "app/diagnostics/hang_watchdog.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <execinfo.h>
#include <semaphore.h>

namespace morvanta {

namespace {

using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

constexpr int maxFrames = 128;
// How long the watchdog waits for the main thread to record its backtrace.
constexpr auto sampleDeadline = std::chrono::seconds(1);

// Shared with the sampling signal's handler, which may touch only these.
void* sampleFrames[maxFrames];
std::atomic<int> sampleCount{0};
sem_t sampleDone;

int sampleSignal() {
    return SIGRTMIN + 4;
}

void onSampleSignal(int) {
    int savedErrno = errno;
    sampleCount.store(backtrace(sampleFrames, maxFrames));
    sem_post(&sampleDone);
    errno = savedErrno;
}

struct sigaction previousSampleAction;

} // namespace

HangWatchdog::HangWatchdog(std::chrono::milliseconds limit, StallObserver observer)
    : limit_(limit), observer_(std::move(observer)), mainThread_(pthread_self()) {
    sem_init(&sampleDone, 0, 0);
    void* prime[4];
    backtrace(prime, 4); // loads the unwinder now, outside any signal handler
    struct sigaction action {};
    action.sa_handler = onSampleSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(sampleSignal(), &action, &previousSampleAction);
    thread_ = std::thread([this] { watch(); });
}

HangWatchdog::~HangWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    // A sample request still pending (the main thread had the signal blocked) must not meet
    // the default action of a real-time signal, which ends the process.
    struct sigaction restored = previousSampleAction;
    if (!(restored.sa_flags & SA_SIGINFO) && restored.sa_handler == SIG_DFL)
        restored.sa_handler = SIG_IGN;
    sigaction(sampleSignal(), &restored, nullptr);
}

void HangWatchdog::turnStarted() {
    busySinceSteady_.store(SteadyClock::now().time_since_epoch().count());
    busySinceWall_.store(SystemClock::now().time_since_epoch().count());
    turn_.fetch_add(1);
    busy_.store(true);
    // Only a watchdog asleep without a timeout needs waking; taking the lock makes sure it is
    // really waiting before it is told.
    if (watcherIdle_.load()) {
        std::lock_guard lock(mutex_);
        wake_.notify_one();
    }
}

std::optional<HangWatchdog::Stall> HangWatchdog::turnEnded() {
    turn_.fetch_add(1);
    busy_.store(false);
    if (!stalled_.load())
        return std::nullopt;
    std::unique_lock lock(mutex_);
    stalled_.store(false);
    std::optional<Stall> stall = std::move(currentStall_);
    currentStall_.reset();
    lock.unlock();
    wake_.notify_one();
    if (stall) {
        auto since = SteadyClock::time_point(SteadyClock::duration(busySinceSteady_.load()));
        stall->length =
            std::max(stall->length, std::chrono::duration<double>(SteadyClock::now() - since));
    }
    return stall;
}

void HangWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (!busy_.load()) {
            watcherIdle_.store(true);
            wake_.wait(lock, [this] { return stop_ || busy_.load(); });
            watcherIdle_.store(false);
            continue;
        }
        std::uint64_t turn = turn_.load();
        auto since = SteadyClock::time_point(SteadyClock::duration(busySinceSteady_.load()));
        bool moved =
            wake_.wait_until(lock, since + limit_, [&] { return stop_ || turn_.load() != turn; });
        if (!moved)
            watchStall(lock, turn, since);
    }
}

void HangWatchdog::watchStall(std::unique_lock<std::mutex>& lock, std::uint64_t turn,
                              SteadyClock::time_point since) {
    lock.unlock();
    std::vector<std::string> backtrace = sampleMainThread();
    lock.lock();
    // Announced before the turn is checked again: turnEnded() counts the turn first and looks
    // here second, so one of the two always sees the other.
    stalled_.store(true);
    if (stop_ || turn_.load() != turn) {
        stalled_.store(false);
        return;
    }
    auto started = SystemClock::time_point(SystemClock::duration(busySinceWall_.load()));
    currentStall_ = Stall{turn, started, SteadyClock::now() - since, std::move(backtrace)};
    observer_(*currentStall_);
    while (!stop_ && turn_.load() == turn) {
        wake_.wait_for(lock, limit_, [&] { return stop_ || turn_.load() != turn; });
        if (!stop_ && turn_.load() == turn && currentStall_) {
            currentStall_->length = SteadyClock::now() - since;
            observer_(*currentStall_);
        }
    }
}

std::vector<std::string> HangWatchdog::sampleMainThread() const {
    while (sem_trywait(&sampleDone) == 0) {
    }
    if (pthread_kill(mainThread_, sampleSignal()) != 0)
        return {};
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += std::chrono::seconds(sampleDeadline).count();
    while (sem_timedwait(&sampleDone, &deadline) != 0)
        if (errno != EINTR)
            return {};
    int count = sampleCount.load();
    char** symbols = backtrace_symbols(sampleFrames, count);
    std::vector<std::string> frames;
    // Frame 0 is the sampling handler itself.
    for (int i = 1; symbols != nullptr && i < count; ++i)
        frames.emplace_back(symbols[i]);
    std::free(symbols);
    return frames;
}

} // namespace morvanta
