// KWinWatch: what KWin itself does to its windows, as it happens. A script of the benchmark's own,
// loaded into KWin, connects to every window's frameGeometryChanged and minimizedChanged signals
// and to the workspace's window-added and -removed signals, and sends one D-Bus message per
// change to this object's own name on the session's bus. A thread of its own reads the bus
// without pause and stamps each message as it arrives (steady clock), so the stamps do not wait
// for whatever the benchmark's main thread is doing. The cost inside KWin is one small
// asynchronous callDBus per window change.
#pragma once

#include "bench/kwin/bench_bus.h"
#include "tests/support/kwin_query.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morvanta::bench {

using Clock = std::chrono::steady_clock;

struct WatchEvent {
    enum class Kind { present, added, changed, removed };
    Kind kind = Kind::changed;
    Clock::time_point at;       // when the message reached the benchmark
    testing::KWinWindow window; // as KWin had it when the signal fired (pid and class unset)
};

class KWinWatch {
public:
    // Connects to the bus at `address`, writes the script into `folder`, loads and runs it.
    KWinWatch(const std::string& address, const std::filesystem::path& folder);
    // Stops reading and unloads the script.
    ~KWinWatch();
    KWinWatch(const KWinWatch&) = delete;
    KWinWatch& operator=(const KWinWatch&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Every event that arrived since the last call, oldest first.
    std::vector<WatchEvent> take();

private:
    static int onMessage(sd_bus_message* message, void* self, sd_bus_error* error);
    void read();

    BenchBus bus_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<WatchEvent> events_;
    std::string error_;
};

} // namespace morvanta::bench
