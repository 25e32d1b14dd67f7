// FakeDesktopBackend: the in-memory desktop as a backend, for tests. Morvanta's view of the
// given FakeDesktop is the window system; the devices and hot keys are the hand-driven fakes,
// and the backend keeps a pointer to the last of each it made so a test can drive and inspect
// them (the owner, usually the controller, must still hold it).
#pragma once

#include "app/desktop/desktop_backend.h"
#include "ax/fake/fake_border_overlay.h"
#include "ax/fake/fake_desktop.h"
#include "ax/fake/fake_frame_timer.h"
#include "ax/fake/fake_mouse_monitor.h"
#include "shortcuts/fake/fake_hot_keys.h"

namespace morvanta {

class FakeDesktopBackend : public DesktopBackend {
public:
    explicit FakeDesktopBackend(FakeDesktop& desktop) : desktop_(desktop) {}

    WindowSystem& windowSystem() override;
    std::unique_ptr<BorderOverlay> makeBorderOverlay() override;
    std::unique_ptr<MouseMonitor> makeMouseMonitor() override;
    std::unique_ptr<FrameTimer> makeFrameTimer(RunLoop& loop) override;
    std::unique_ptr<GlobalHotKeys> makeHotKeys() override;
    std::optional<std::string> tilingWindowManager() override { return tilingWindowManager_; }

    // What tilingWindowManager() answers from now on.
    void setTilingWindowManager(std::optional<std::string> name) {
        tilingWindowManager_ = std::move(name);
    }

    // The last of each made; null before the first.
    FakeBorderOverlay* border() const { return border_; }
    FakeMouseMonitor* mouse() const { return mouse_; }
    FakeFrameTimer* frameTimer() const { return frameTimer_; }
    FakeHotKeys* hotKeys() const { return hotKeys_; }

private:
    FakeDesktop& desktop_;
    std::optional<std::string> tilingWindowManager_;
    FakeBorderOverlay* border_ = nullptr;
    FakeMouseMonitor* mouse_ = nullptr;
    FakeFrameTimer* frameTimer_ = nullptr;
    FakeHotKeys* hotKeys_ = nullptr;
};

} // namespace morvanta
