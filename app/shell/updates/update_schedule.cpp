#include "app/shell/updates/update_schedule.h"

#include <algorithm>

namespace morvanta {

std::chrono::milliseconds
UpdateSchedule::delayUntilNextCheck(std::optional<Clock::time_point> lastCheck,
                                    Clock::time_point now, std::chrono::milliseconds interval,
                                    std::chrono::milliseconds minimumDelay) {
    using std::chrono::milliseconds;
    milliseconds delay = minimumDelay;
    if (lastCheck) {
        milliseconds sinceLast = std::chrono::duration_cast<milliseconds>(now - *lastCheck);
        sinceLast = std::max(sinceLast, milliseconds(0));
        delay = std::max(interval - sinceLast, minimumDelay);
    }
    return std::min(delay, std::max(interval, minimumDelay));
}

} // namespace morvanta
