// ScreenSnapshot: the controller's view of the screens. Reading the screens costs round trips to
// the window system (monitors, then every dock's reserved space), and one command reads them in
// several places: the plan, the parking of each batch, the summaries. While a Hold is alive the
// first read is kept and answered again; outside any hold every read is fresh. Screens cannot
// change in the middle of one command: a change arrives as an event, handled after it.
#pragma once

#include "ax/screen_source.h"
#include "core/geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace morvanta {

class ScreenSnapshot : public ScreenSource {
public:
    explicit ScreenSnapshot(ScreenSource& source) : source_(source) {}

    std::vector<Screen> screens() override;
    // The screen holding most of `rect`; none when no screen touches it.
    std::optional<Screen> screenHolding(const Rect& rect);

    // Keeps the screens read while it lives; holds nest.
    class Hold {
    public:
        explicit Hold(ScreenSnapshot& snapshot) : snapshot_(snapshot) {
            if (snapshot_.holds_++ == 0)
                ++snapshot_.holdNumber_;
        }
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        ScreenSnapshot& snapshot_;
    };
    Hold hold() { return Hold(*this); }
    bool isHeld() const { return holds_ > 0; }
    // Counts outermost holds: something kept for one hold is stale once this changes.
    std::uint64_t holdNumber() const { return holdNumber_; }

private:
    ScreenSource& source_;
    int holds_ = 0;
    std::uint64_t holdNumber_ = 0;
    std::optional<std::vector<Screen>> kept_;
};

} // namespace morvanta
