// CpuMeter: the CPU time Morvanta and KWin spend on the benchmark's operations, every thread of
// each. KWin composites in software on its virtual output and keeps repainting for a while after
// windows move, so an operation's share ends only once KWin is idle again: waitIdle() waits for
// that, and is also how every timed operation starts from a quiet KWin.
#pragma once

#include "bench/process_readings.h"

#include <chrono>
#include <sys/types.h>
#include <thread>

namespace morvanta::bench {

class CpuMeter {
public:
    CpuMeter(pid_t morvanta, pid_t kwin) : morvanta_(morvanta), kwin_(kwin) {}

    // Waits until KWin used under 2 ms of CPU in 50 ms (at most 5 s).
    void waitIdle() const {
        using namespace std::chrono_literals;
        const auto until = std::chrono::steady_clock::now() + 5s;
        for (auto before = cpuNanoseconds(kwin_); std::chrono::steady_clock::now() < until;) {
            std::this_thread::sleep_for(50ms);
            const auto now = cpuNanoseconds(kwin_);
            if (now - before < 2'000'000)
                return;
            before = now;
        }
    }
    // One operation: from here…
    void begin() {
        morvantaStart_ = cpuNanoseconds(morvanta_);
        kwinStart_ = cpuNanoseconds(kwin_);
    }
    // …to KWin idle again.
    void end() {
        waitIdle();
        morvantaTotal_ += cpuNanoseconds(morvanta_) - morvantaStart_;
        kwinTotal_ += cpuNanoseconds(kwin_) - kwinStart_;
        ++operations_;
    }
    double morvantaPerOperation() const { return perOperation(morvantaTotal_); }
    double kwinPerOperation() const { return perOperation(kwinTotal_); }

private:
    double perOperation(long long total) const {
        return operations_ ? total / 1e6 / operations_ : 0;
    }

    pid_t morvanta_, kwin_;
    long long morvantaStart_ = 0, kwinStart_ = 0, morvantaTotal_ = 0, kwinTotal_ = 0;
    int operations_ = 0;
};

} // namespace morvanta::bench
