#include "app/shell/application/signal_quit.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace morvanta {

namespace {

int pipeEnds[2] = {-1, -1};
constexpr int handledSignals[] = {SIGTERM, SIGINT};

extern "C" void writeSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a quit request; losing this byte changes nothing.
    [[maybe_unused]] const auto written = write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalQuit::SignalQuit(RunLoop& loop, std::function<void(int)> quit)
    : loop_(loop), quit_(std::move(quit)) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ok_ = true;
    for (const int signal : handledSignals)
        ok_ = sigaction(signal, &action, nullptr) == 0 && ok_;
    watch_ = loop_.watch(pipeEnds[0], [this] { drain(); });
}

SignalQuit::~SignalQuit() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : handledSignals)
        sigaction(signal, &action, nullptr);
    if (watch_ != 0)
        loop_.cancel(watch_);
    for (int& end : pipeEnds)
        if (end >= 0)
            close(std::exchange(end, -1));
}

const char* SignalQuit::name(int signal) {
    switch (signal) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    default:
        return "a signal";
    }
}

void SignalQuit::drain() {
    unsigned char bytes[16];
    int last = 0;
    for (;;) {
        const ssize_t n = read(pipeEnds[0], bytes, sizeof bytes);
        if (n <= 0)
            break;
        last = bytes[n - 1];
    }
    if (last != 0 && quit_)
        quit_(last);
}

} // namespace morvanta
