#include "ax/fake/fake_window_observer.h"

#include "ax/fake/fake_desktop.h"

#include <algorithm>

namespace morvanta {

FakeWindowObserver::~FakeWindowObserver() {
    stop();
}

void FakeWindowObserver::start() {
    if (started_)
        return;
    started_ = true;
    desktop_.observers_.push_back(this);
}

void FakeWindowObserver::stop() {
    if (!started_)
        return;
    started_ = false;
    std::erase(desktop_.observers_, this);
    watched_.clear();
}

void FakeWindowObserver::watch(const AXWindow& window) {
    if (!started_ || window.pid() == ownPid_ || !desktop_.windows_.contains(window.id()))
        return;
    watched_.insert(window.id());
}

} // namespace morvanta
