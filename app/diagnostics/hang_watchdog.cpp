#include "app/diagnostics/hang_watchdog.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <execinfo.h>
#include <poll.h>
#include <semaphore.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

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
    timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    stop_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // Without its descriptors (the process is out of them) the watchdog stays inert.
    if (timer_ >= 0 && stop_ >= 0)
        thread_ = std::thread([this] { watch(); });
}

HangWatchdog::~HangWatchdog() {
    const std::uint64_t one = 1;
    if (thread_.joinable()) {
        [[maybe_unused]] const auto written = write(stop_, &one, sizeof(one));
        thread_.join();
    }
    if (timer_ >= 0)
        close(timer_);
    if (stop_ >= 0)
        close(stop_);
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
    arm(limit_);
}

std::optional<HangWatchdog::Stall> HangWatchdog::turnEnded() {
    turn_.fetch_add(1);
    busy_.store(false);
    arm(std::chrono::nanoseconds::zero());
    if (!stalled_.load())
        return std::nullopt;
    // A report in progress is complete once the lock is had.
    std::unique_lock lock(mutex_);
    stalled_.store(false);
    std::optional<Stall> stall = std::move(currentStall_);
    currentStall_.reset();
    lock.unlock();
    if (stall) {
        auto since = SteadyClock::time_point(SteadyClock::duration(busySinceSteady_.load()));
        stall->length =
            std::max(stall->length, std::chrono::duration<double>(SteadyClock::now() - since));
    }
    return stall;
}

void HangWatchdog::arm(std::chrono::nanoseconds after) const {
    // Zero disarms; a timer armed again replaces what it was set to.
    if (timer_ < 0)
        return; // inert
    itimerspec when{};
    when.it_value.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(after).count();
    when.it_value.tv_nsec = (after % std::chrono::seconds(1)).count();
    timerfd_settime(timer_, 0, &when, nullptr);
}

void HangWatchdog::watch() {
    pollfd waits[] = {{timer_, POLLIN, 0}, {stop_, POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0)
            return;
        std::uint64_t expirations = 0;
        if (read(timer_, &expirations, sizeof(expirations)) == sizeof(expirations))
            expired();
    }
}

void HangWatchdog::expired() {
    const std::uint64_t turn = turn_.load();
    const auto since = SteadyClock::time_point(SteadyClock::duration(busySinceSteady_.load()));
    // A turn that ended, or a new one whose own timer runs, is no stall.
    if (!busy_.load() || SteadyClock::now() - since < limit_)
        return;
    std::unique_lock lock(mutex_);
    if (!currentStall_ || currentStall_->turn != turn) {
        lock.unlock();
        std::vector<std::string> backtrace = sampleMainThread();
        lock.lock();
        // Announced before the turn is checked again: turnEnded() counts the turn first and
        // looks here second, so one of the two always sees the other.
        stalled_.store(true);
        if (turn_.load() != turn) {
            stalled_.store(false);
            return;
        }
        auto started = SystemClock::time_point(SystemClock::duration(busySinceWall_.load()));
        currentStall_ = Stall{turn, started, SteadyClock::now() - since, std::move(backtrace)};
    } else {
        currentStall_->length = SteadyClock::now() - since;
    }
    observer_(*currentStall_);
    // Told again after each further limit while the turn lasts.
    if (turn_.load() == turn)
        arm(limit_);
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
