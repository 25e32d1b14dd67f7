// FakeWindowSystem: one process's view of a FakeDesktop, implementing WindowSystem and the
// interfaces it hands out. Windows of `ownPid` are this process's own: enumeration leaves them
// out, its observers hear nothing about them, and its focus tracker reports nothing while one
// has focus. Events are delivered synchronously, so there is no descriptor to watch.
#pragma once

#include "ax/accessibility.h"
#include "ax/screen_source.h"
#include "ax/window_list.h"
#include "ax/window_numbers.h"
#include "ax/window_system.h"

#include <cstdint>
#include <memory>

namespace morvanta {

class FakeDesktop;
class FakeWindowAccess;

class FakeWindowSystem final : public WindowSystem,
                               public Accessibility,
                               public WindowList,
                               public WindowNumbers,
                               public ScreenSource {
public:
    // A window number is the window's id plus this, as a frame window differs from its client.
    static constexpr std::uint32_t frameNumberOffset = 0x10000000;

    FakeWindowSystem(FakeDesktop& desktop, std::int32_t ownPid);
    ~FakeWindowSystem() override;
    FakeWindowSystem(const FakeWindowSystem&) = delete;
    FakeWindowSystem& operator=(const FakeWindowSystem&) = delete;

    FakeDesktop& desktop() { return desktop_; }
    std::int32_t ownPid() const { return ownPid_; }
    // A handle on window `id` bound to this view; a null-pid handle when there is no such window.
    AXWindow handle(std::uint32_t id);

    Accessibility& accessibility() override { return *this; }
    WindowList& windowList() override { return *this; }
    WindowNumbers& windowNumbers() override { return *this; }
    ScreenSource& screenSource() override { return *this; }
    WindowAccess& windowAccess() override;
    std::unique_ptr<WindowObserver> makeWindowObserver() override;
    std::unique_ptr<FocusTracker> makeFocusTracker() override;
    int eventDescriptor() const override { return -1; }
    void dispatchPending() override {}

    bool checkTrust(bool prompt) override;
    void openSettings() override;

    std::vector<AXWindow> all() override;
    std::optional<AXWindow> focused() override;

    std::optional<std::uint32_t> number(const AXWindow& window, const Rect& frame) override;
    std::optional<Rect> bounds(std::uint32_t number) override;

    std::vector<Screen> screens() override;

private:
    FakeDesktop& desktop_;
    std::int32_t ownPid_;
    std::shared_ptr<FakeWindowAccess> access_;
};

} // namespace morvanta
