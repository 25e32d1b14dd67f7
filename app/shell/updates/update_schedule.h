// UpdateSchedule: when the next automatic update check is due. Checks run one interval after
// the last one, never sooner than a short pause after launch (so start-up stays quick), and
// a last check in the future (the clock was set back) counts as a check just now.
#pragma once

#include <chrono>
#include <optional>

namespace morvanta {

class UpdateSchedule {
public:
    using Clock = std::chrono::system_clock;

    static std::chrono::milliseconds delayUntilNextCheck(std::optional<Clock::time_point> lastCheck,
                                                         Clock::time_point now,
                                                         std::chrono::milliseconds interval,
                                                         std::chrono::milliseconds minimumDelay);
};

} // namespace morvanta
