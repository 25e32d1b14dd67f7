#include "ax/kwin/kwin_script_watch.h"

#include <algorithm>

namespace morvanta {

void KWinScriptWatch::kwinPresent(TimePoint now) {
    if (state_ == State::noKWin)
        scheduleLoad(now);
}

void KWinScriptWatch::kwinAbsent() {
    state_ = State::noKWin;
    nextPollBy_.reset();
}

bool KWinScriptWatch::lose(TimePoint now) {
    bool wasLoaded = loaded();
    if (state_ != State::noKWin)
        scheduleLoad(now);
    return wasLoaded;
}

void KWinScriptWatch::loadStarted(TimePoint now) {
    state_ = State::loading;
    lastLoad_ = now;
    firstMessageBy_ = now + timings_.firstMessage;
    nextPollBy_.reset();
}

void KWinScriptWatch::loadFailed(TimePoint now) {
    if (state_ == State::loading)
        scheduleLoad(now);
}

void KWinScriptWatch::messageArrived() {
    if (state_ == State::loading)
        state_ = State::live;
}

void KWinScriptWatch::pollArrived() {
    nextPollBy_.reset();
}

void KWinScriptWatch::pollAnswered(TimePoint now) {
    if (state_ == State::live)
        nextPollBy_ = now + timings_.pollGap;
}

std::optional<KWinScriptWatch::TimePoint> KWinScriptWatch::nextDeadline() const {
    switch (state_) {
    case State::loadWaiting:
        return loadAt_;
    case State::loading:
        return firstMessageBy_;
    case State::live:
        return nextPollBy_;
    case State::noKWin:
        break;
    }
    return std::nullopt;
}

KWinScriptWatch::Due KWinScriptWatch::expire(TimePoint now) {
    std::optional<TimePoint> due = nextDeadline();
    if (!due || now < *due)
        return Due::nothing;
    if (state_ == State::loadWaiting)
        return Due::load;
    scheduleLoad(now);
    return Due::lost;
}

void KWinScriptWatch::scheduleLoad(TimePoint now) {
    state_ = State::loadWaiting;
    nextPollBy_.reset();
    loadAt_ = lastLoad_ ? std::max(now, *lastLoad_ + timings_.reloadInterval) : now;
}

} // namespace morvanta
