// KWinScriptWatch: the rules of the KWin script's life, without the bus. It is told what
// happened (KWin came or went, a load began, a message or Poll arrived, a Poll was answered)
// and says when the script must be loaded and when it is lost: no first message within
// `firstMessage` of a load, no Poll within `pollGap` of an answer. Loads are kept
// `reloadInterval` apart. Time is passed in, so the channel decides when to look.
#pragma once

#include "ax/kwin/kwin_bridge_timings.h"

#include <chrono>
#include <optional>

namespace morvanta {

class KWinScriptWatch {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    enum class Due { nothing, load, lost };

    explicit KWinScriptWatch(KWinBridgeTimings timings) : timings_(timings) {}

    // KWin has an owner on the bus (again); a load becomes due unless one is under way.
    void kwinPresent(TimePoint now);
    // KWin has no owner any more: nothing to load until it comes back.
    void kwinAbsent();
    // Declares the script lost from outside (KWin restarted); true when a script was loaded or
    // loading, so that its loss is worth telling. A new load is due if KWin is present.
    bool lose(TimePoint now);

    void loadStarted(TimePoint now);
    // The load failed before the script could run: another attempt follows after the interval.
    void loadFailed(TimePoint now);
    // A message of the loaded script: the first one shows it runs.
    void messageArrived();
    void pollArrived();
    void pollAnswered(TimePoint now);

    // The earliest moment `expire` has something to say; none while only waiting on the bus.
    std::optional<TimePoint> nextDeadline() const;
    // What is due at `now`. After `lost` a load is scheduled; ask again.
    Due expire(TimePoint now);

    // Whether a load was started and the script has not been lost since.
    bool loaded() const { return state_ == State::loading || state_ == State::live; }

private:
    enum class State { noKWin, loadWaiting, loading, live };

    void scheduleLoad(TimePoint now);

    KWinBridgeTimings timings_;
    State state_ = State::noKWin;
    std::optional<TimePoint> lastLoad_;
    TimePoint loadAt_{};
    TimePoint firstMessageBy_{};
    std::optional<TimePoint> nextPollBy_;
};

} // namespace morvanta
