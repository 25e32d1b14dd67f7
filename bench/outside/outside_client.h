// OutsideClient: the benchmark's own X client. It owns the windows Morvanta tiles, presses keys
// through XTEST, and timestamps every configure, map and unmap event its windows receive, so
// an operation's time is what any program on the display would see.
#pragma once

#include "tests/support/xtest_input.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace morvanta::bench {

using Clock = std::chrono::steady_clock;

class OutsideClient {
public:
    explicit OutsideClient(const std::string& display);
    ~OutsideClient();
    OutsideClient(const OutsideClient&) = delete;
    OutsideClient& operator=(const OutsideClient&) = delete;

    bool ok() const { return c_ != nullptr && keyboard_.ok(); }
    // Opens and maps a window of this client (watched from then on); answers its id.
    std::uint32_t open(int index);
    void close(std::uint32_t window);
    // Moves and sizes a window of this client; sent with the next flush().
    void place(std::uint32_t window, int x, int y, int width, int height);
    void flush();
    // Presses Alt with the key of `symbol` (an X keysym such as '1') and lets both go.
    void pressAlt(std::uint32_t symbol);

    // Reads events until none of the watched windows has had one for `quiet` (at most `limit`);
    // answers the time of the last one, or `since` when none came.
    Clock::time_point lastEventAfter(Clock::time_point since, std::chrono::milliseconds quiet,
                                     std::chrono::milliseconds limit = std::chrono::seconds(5));
    // Events of the watched windows seen so far.
    long events() const { return events_; }

private:
    xcb_connection_t* c_ = nullptr;
    std::uint32_t root_ = 0;
    testing::XTestInput keyboard_;
    long events_ = 0;
};

} // namespace morvanta::bench
