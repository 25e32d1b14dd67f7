// KWinBridgeTimings: the durations that keep the session-bus channel and its KWin script in
// step (docs/kwin-bridge.md). The defaults are the bridge's; tests pass shorter ones so a lost
// script or a heartbeat takes milliseconds instead of seconds.
#pragma once

#include <chrono>

namespace morvanta {

struct KWinBridgeTimings {
    // A Poll held this long without commands is answered with the heartbeat.
    std::chrono::milliseconds heartbeat{10000};
    // After an answer the script must poll again within this, or it is lost.
    std::chrono::milliseconds pollGap{3000};
    // After loading, the script's first message must arrive within this, or it is lost.
    std::chrono::milliseconds firstMessage{5000};
    // Loads of the script are at least this far apart, so a script that fails at once does not
    // keep KWin busy reloading it.
    std::chrono::milliseconds reloadInterval{2000};
};

} // namespace morvanta
