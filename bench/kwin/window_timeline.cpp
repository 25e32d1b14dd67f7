#include "bench/kwin/window_timeline.h"

#include <thread>

namespace morvanta::bench {

namespace {

// How often settle() looks for new events; their stamps come from the watch's own thread, so
// this only decides how soon the quiet is noticed.
constexpr auto step = std::chrono::milliseconds(2);

} // namespace

void WindowTimeline::apply(const WatchEvent& event) {
    const auto& id = event.window.id;
    if (event.kind == WatchEvent::Kind::removed) {
        windows_.erase(id);
        return;
    }
    if (event.kind == WatchEvent::Kind::added)
        added_[id] = event.at;
    windows_[id] = event.window;
}

WindowTimeline::Settled WindowTimeline::settle(Clock::time_point since, const Wanted& wanted,
                                               std::chrono::milliseconds quiet,
                                               std::chrono::milliseconds limit) {
    Settled result;
    result.lastEvent = since;
    if (wanted(windows_))
        result.reached = since;
    while (true) {
        for (const auto& event : watch_.take()) {
            // Morvanta's own windows (its focus border follows the focus) are not what it tiles.
            if (event.window.caption.find("Morvanta") != std::string::npos)
                continue;
            apply(event);
            ++result.events;
            if (event.kind == WatchEvent::Kind::changed && !result.firstChange)
                result.firstChange = event.at;
            result.lastEvent = event.at;
            if (!wanted(windows_))
                result.reached.reset();
            else if (!result.reached)
                result.reached = event.at;
        }
        const auto now = Clock::now();
        if ((now - result.lastEvent >= quiet && result.reached) || now - since >= limit)
            return result;
        std::this_thread::sleep_for(step);
    }
}

std::optional<testing::KWinWindow> WindowTimeline::byCaption(const std::string& caption) const {
    for (const auto& [id, window] : windows_)
        if (window.caption == caption)
            return window;
    return std::nullopt;
}

std::optional<Clock::time_point> WindowTimeline::addedAt(const std::string& id) const {
    const auto it = added_.find(id);
    return it == added_.end() ? std::nullopt : std::optional(it->second);
}

} // namespace morvanta::bench
