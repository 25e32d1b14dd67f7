// FakeWindowObserver: the window observer of one fake-desktop view. While started it receives
// the desktop's events; the desktop decides which events reach it (see FakeDesktop).
#pragma once

#include "ax/window_observer.h"

#include <cstdint>
#include <set>

namespace morvanta {

class FakeDesktop;

class FakeWindowObserver final : public WindowObserver {
public:
    FakeWindowObserver(FakeDesktop& desktop, std::int32_t ownPid)
        : desktop_(desktop), ownPid_(ownPid) {}
    ~FakeWindowObserver() override;

    void start() override;
    void stop() override;
    bool isStarted() const override { return started_; }
    void watch(const AXWindow& window) override;

    std::int32_t ownPid() const { return ownPid_; }
    bool watches(std::uint32_t id) const { return watched_.contains(id); }
    // Called by the desktop; forgets a closed window's watch.
    void forgetWindow(std::uint32_t id) { watched_.erase(id); }
    void deliver(Event event) {
        if (onEvent)
            onEvent(event);
    }

private:
    FakeDesktop& desktop_;
    std::int32_t ownPid_;
    bool started_ = false;
    std::set<std::uint32_t> watched_;
};

} // namespace morvanta
