// A process that installs crash reporting as Morvanta does at launch and then fails in the way
// its argument names: "segv", "abort", "overflow" (runs out of stack) or "stall" (a main
// thread that never finishes its turn). Reports go to $XDG_STATE_HOME/morvanta/Diagnostics.
#include "app/diagnostics/crash_reports.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Recurses until the stack runs out; the limit only keeps the compiler from calling it endless.
[[gnu::noinline]] int recurse(int depth, int limit) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth >= limit)
        return frame[0];
    return recurse(depth + 1, limit) + frame[0];
}

[[gnu::noinline]] void writeThrough(int* target) {
    *static_cast<volatile int*>(target) = 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    rlimit noCore{0, 0}; // the test needs the report, not a core file
    setrlimit(RLIMIT_CORE, &noCore);
    morvanta::CrashReports reports;
    reports.start(std::chrono::milliseconds(100));
    const char* mode = argv[1];
    if (std::strcmp(mode, "segv") == 0)
        writeThrough(reinterpret_cast<int*>(static_cast<std::uintptr_t>(argc - 2)));
    if (std::strcmp(mode, "abort") == 0)
        std::abort();
    if (std::strcmp(mode, "overflow") == 0) {
        return recurse(0, argc > 2 ? std::atoi(argv[2]) : 1 << 30);
    }
    if (std::strcmp(mode, "stall") == 0) {
        reports.turnStarted();
        for (;;)
            pause();
    }
    return 3;
}
