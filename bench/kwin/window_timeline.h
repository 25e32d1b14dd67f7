// WindowTimeline: the windows as KWin has them, kept up to date from KWinWatch's events, and the
// moments at which they reached a wanted state. settle() reads events until KWin has been quiet
// for a while and answers when the wanted state began (the arrival of the event after which it
// held and kept holding to the end), so a state passed through on the way does not count.
// Morvanta's own windows are left out: they are not what it tiles.
#pragma once

#include "bench/kwin/kwin_watch.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace morvanta::bench {

class WindowTimeline {
public:
    using Windows = std::map<std::string, testing::KWinWindow>; // by KWin's id
    using Wanted = std::function<bool(const Windows&)>;

    struct Settled {
        // When `wanted` began to hold for good; none when it does not hold at the end.
        std::optional<Clock::time_point> reached;
        // The arrival of the first change to a window KWin already had (not an appearance).
        std::optional<Clock::time_point> firstChange;
        // The arrival of the last event; `since` when none came.
        Clock::time_point lastEvent;
        int events = 0;
    };

    explicit WindowTimeline(KWinWatch& watch) : watch_(watch) {}

    // Reads events until `wanted` holds and no event arrived for `quiet`, or until `limit` after
    // `since`.
    Settled settle(Clock::time_point since, const Wanted& wanted, std::chrono::milliseconds quiet,
                   std::chrono::milliseconds limit = std::chrono::seconds(10));

    const Windows& windows() const { return windows_; }
    // The window with this caption (the first found); none when KWin has none.
    std::optional<testing::KWinWindow> byCaption(const std::string& caption) const;
    // When KWin announced the window with this id (the arrival of its "added" event).
    std::optional<Clock::time_point> addedAt(const std::string& id) const;

private:
    void apply(const WatchEvent& event);

    KWinWatch& watch_;
    Windows windows_;
    std::map<std::string, Clock::time_point> added_;
};

} // namespace morvanta::bench
