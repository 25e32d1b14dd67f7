#include "app/desktop/fake/fake_desktop_backend.h"

#include "ax/fake/fake_window_system.h"

namespace morvanta {

namespace {

// Hands out `made`, keeping a pointer to it in `last`.
template <class T> std::unique_ptr<T> keep(std::unique_ptr<T> made, T*& last) {
    last = made.get();
    return made;
}

} // namespace

WindowSystem& FakeDesktopBackend::windowSystem() {
    return desktop_.system();
}

std::unique_ptr<BorderOverlay> FakeDesktopBackend::makeBorderOverlay() {
    return keep(std::make_unique<FakeBorderOverlay>(desktop_.system().windowNumbers()), border_);
}

std::unique_ptr<MouseMonitor> FakeDesktopBackend::makeMouseMonitor() {
    return keep(std::make_unique<FakeMouseMonitor>(), mouse_);
}

std::unique_ptr<FrameTimer> FakeDesktopBackend::makeFrameTimer(RunLoop&) {
    // A test ticks it by hand; the run loop's clock plays no part.
    return keep(std::make_unique<FakeFrameTimer>(), frameTimer_);
}

std::unique_ptr<GlobalHotKeys> FakeDesktopBackend::makeHotKeys() {
    return keep(std::make_unique<FakeHotKeys>(), hotKeys_);
}

} // namespace morvanta
