#include "ax/kwin/kwin_window_observer.h"

#include "ax/kwin/kwin_window_system.h"

namespace morvanta {

void KWinWindowObserver::start() {
    if (started_)
        return;
    started_ = true;
    system_.addObserver(this);
}

void KWinWindowObserver::stop() {
    if (!started_)
        return;
    started_ = false;
    system_.removeObserver(this);
}

} // namespace morvanta
