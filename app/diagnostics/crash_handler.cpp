#include "app/diagnostics/crash_handler.h"

#include "app/diagnostics/system_facts.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace morvanta {

namespace {

constexpr std::array<int, 5> fatalSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int maxFrames = 128;

// Everything the handler needs, prepared at install time.
struct HandlerState {
    int folder = -1;
    pid_t mainThread = 0;
    char version[64] = {};
    char build[64] = {};
    std::array<struct sigaction, fatalSignals.size()> previous{};
    bool installed = false;
};
HandlerState state;

alignas(16) char alternateStack[256 * 1024];

// Builds text in a fixed buffer and writes it out; no allocation, no locale, no stdio.
class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int fd) : fd_(fd) {}
    ~SignalSafeWriter() { flush(); }

    SignalSafeWriter& text(const char* value) {
        while (*value != '\0')
            put(*value++);
        return *this;
    }
    SignalSafeWriter& number(long long value) {
        char digits[24];
        int count = 0;
        unsigned long long magnitude =
            value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            put('-');
        while (count > 0)
            put(digits[--count]);
        return *this;
    }
    SignalSafeWriter& hex(unsigned long value) {
        text("0x");
        char digits[20];
        int count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % 16];
            value /= 16;
        } while (value != 0);
        while (count > 0)
            put(digits[--count]);
        return *this;
    }
    void flush() {
        std::size_t done = 0;
        while (done < used_) {
            ssize_t written = ::write(fd_, buffer_ + done, used_ - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                break;
            done += static_cast<std::size_t>(written);
        }
        used_ = 0;
    }

private:
    void put(char c) {
        if (used_ == sizeof buffer_)
            flush();
        buffer_[used_++] = c;
    }

    int fd_;
    char buffer_[512];
    std::size_t used_ = 0;
};

// "crash-<pid><suffix>" into `name`.
void recordName(char* name, std::size_t size, pid_t pid, const char* suffix) {
    char digits[24];
    int count = 0;
    auto value = static_cast<unsigned long>(pid);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::size_t used = 0;
    auto put = [&](char c) {
        if (used + 1 < size)
            name[used++] = c;
    };
    for (const char* p = "crash-"; *p != '\0'; ++p)
        put(*p);
    while (count > 0)
        put(digits[--count]);
    for (const char* p = suffix; *p != '\0'; ++p)
        put(*p);
    name[used] = '\0';
}

void writeRecord(int fd, int signal, const siginfo_t* info) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    SignalSafeWriter out(fd);
    out.text("kind crash\nsignal ").number(signal);
    out.text("\ncode ").number(info != nullptr ? info->si_code : 0);
    out.text("\naddress ")
        .hex(info != nullptr ? reinterpret_cast<unsigned long>(info->si_addr) : 0);
    out.text("\npid ").number(getpid());
    out.text("\nthread ").text(gettid() == state.mainThread ? "main" : "other");
    out.text("\ntime ").number(now.tv_sec);
    out.text("\nversion ").text(state.version);
    out.text("\nbuild ").text(state.build);
    out.text("\nbacktrace\n");
    out.flush();
    void* frames[maxFrames];
    int count = backtrace(frames, maxFrames);
    backtrace_symbols_fd(frames, count, fd);
}

void onFatalSignal(int signal, siginfo_t* info, void*) {
    int savedErrno = errno;
    pid_t pid = getpid();
    char partial[64];
    char complete[64];
    recordName(partial, sizeof partial, pid, ".partial");
    recordName(complete, sizeof complete, pid, ".report");
    int fd = openat(state.folder, partial, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeRecord(fd, signal, info);
        fsync(fd);
        close(fd);
        renameat(state.folder, partial, state.folder, complete);
    }
    // The default action ends the process (with a core dump where enabled) as if Morvanta had
    // never handled the signal. The signal stays blocked until this handler returns.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
    errno = savedErrno;
}

void copyText(char* target, std::size_t size, const std::string& value) {
    std::size_t length = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(target, value.data(), length);
    target[length] = '\0';
    // The record is line-based: a line break inside a value would end it early.
    for (std::size_t i = 0; i < length; ++i)
        if (target[i] == '\n' || target[i] == '\r')
            target[i] = ' ';
}

} // namespace

bool CrashHandler::install(const std::filesystem::path& pendingFolder) {
    std::error_code ignored;
    std::filesystem::create_directories(pendingFolder, ignored);
    int folder = open(pendingFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return false;
    if (state.installed)
        uninstall();
    state.folder = folder;
    state.mainThread = gettid();
    copyText(state.version, sizeof state.version, SystemFacts::appVersion());
    copyText(state.build, sizeof state.build, SystemFacts::appBuild());

    // The first backtrace() loads the unwinder (allocating); do it now, not in the handler.
    void* frames[4];
    backtrace(frames, 4);

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : fatalSignals)
        sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < fatalSignals.size(); ++i)
        sigaction(fatalSignals[i], &action, &state.previous[i]);
    state.installed = true;
    return true;
}

void CrashHandler::uninstall() {
    if (!state.installed)
        return;
    for (std::size_t i = 0; i < fatalSignals.size(); ++i)
        sigaction(fatalSignals[i], &state.previous[i], nullptr);
    close(state.folder);
    state.folder = -1;
    state.installed = false;
}

bool CrashHandler::installed() {
    return state.installed;
}

} // namespace morvanta
