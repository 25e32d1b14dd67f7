// BridgeProbe: Morvanta's half of the KWin bridge played by the benchmark, so the channel's own
// cost can be timed without Morvanta's work around it. It takes Morvanta's name on the bus
// (org.morvanta.KWinBridge; Morvanta must have quit), loads Morvanta's KWin script, keeps the
// script's long Poll waiting, and answers it with a batch of commands: the time from sending
// the answer to the arrival of the script's next Poll acknowledging that batch is one round trip
// (the answer's delivery, the script carrying out every command in KWin, and the Poll with the
// records of the windows named coming back).
#pragma once

#include "bench/kwin/bench_bus.h"

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace morvanta::bench {

class BridgeProbe {
public:
    using Frame = std::array<int, 4>;

    BridgeProbe(const std::string& address, const std::filesystem::path& script);
    ~BridgeProbe(); // unloads the script
    BridgeProbe(const BridgeProbe&) = delete;
    BridgeProbe& operator=(const BridgeProbe&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The windows of the script's hello, by caption: KWin's id and the frame.
    const std::map<std::string, std::pair<std::string, Frame>>& windows() const { return windows_; }
    // Sends `commands` as the next batch; answers the round trip, none when the script did not
    // acknowledge it within a few seconds.
    std::optional<std::chrono::steady_clock::duration> roundTrip(const nlohmann::json& commands);

private:
    static int onMessage(sd_bus_message* message, void* self, sd_bus_error* error);
    void onPoll(sd_bus_message* message, const nlohmann::json& value);
    // Processes the bus until `done` holds, at most `limit`.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

    BenchBus bus_;
    sd_bus_message* pending_ = nullptr; // the Poll waiting for its answer
    std::chrono::steady_clock::time_point polledAt_;
    long ack_ = -1;
    long batch_ = 0;
    std::map<std::string, std::pair<std::string, Frame>> windows_;
    std::string error_;
};

} // namespace morvanta::bench
