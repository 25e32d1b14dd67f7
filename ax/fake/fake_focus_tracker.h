// FakeFocusTracker: the focus tracker of one fake-desktop view. While started the desktop tells
// it about every focus change and every move or resize of the focused window.
#pragma once

#include "ax/focus_tracker.h"

#include <cstdint>

namespace morvanta {

class FakeWindowSystem;

class FakeFocusTracker final : public FocusTracker {
public:
    explicit FakeFocusTracker(FakeWindowSystem& view) : view_(view) {}
    ~FakeFocusTracker() override;

    void start() override;
    void stop() override;
    bool isStarted() const override { return started_; }

    // Focus moved: reports the focused window, or nothing when none or an own window has it.
    void focusChanged();
    // The focused window moved or was resized: reports it again, unless it is an own window.
    void focusedWindowMoved();

private:
    void report(bool evenWhenNone);

    FakeWindowSystem& view_;
    bool started_ = false;
};

} // namespace morvanta
