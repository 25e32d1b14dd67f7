// FakeWindowAccess: WindowAccess over the fake desktop for one view (one process). Every call
// counts against a window's injected vanishing, is answered from the desktop's state with the
// injected read faults applied, and every request that changes something is recorded in the
// desktop's operation log. None of them produces `windowsChanged`. A focus request always
// succeeds on an existing window (un-minimising it silently, as window managers do on
// activation) and answers {0, 0, 0}; on a vanished window every step answers -1.
#pragma once

#include "ax/window_access.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace morvanta {

class FakeDesktop;
struct FakeWindow;

class FakeWindowAccess final : public WindowAccess,
                               public std::enable_shared_from_this<FakeWindowAccess> {
public:
    explicit FakeWindowAccess(FakeDesktop& desktop) : desktop_(desktop) {}

    // A handle on window `id` of process `pid` that answers through this access.
    AXWindow handle(std::uint32_t id, std::int32_t pid);

    // The rules enumeration shares with the single reads, on the window's state.
    static bool isStandard(const FakeWindow& window);
    static std::optional<bool> isMinimized(const FakeWindow& window);

    std::string title(const AXWindow& window) override;
    std::string appName(const AXWindow& window) override;
    std::optional<std::string> bundleIdentifier(const AXWindow& window) override;

    bool isStandard(const AXWindow& window) override;
    std::optional<bool> isMinimized(const AXWindow& window) override;
    std::optional<bool> isFullScreen(const AXWindow& window) override;

    void raise(const AXWindow& window) override;
    FocusResult focus(const AXWindow& window) override;
    void focusNothing() override;

    std::vector<std::optional<Rect>> frames(const std::vector<AXWindow>& windows) override;
    std::vector<bool> setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) override;
    std::vector<std::optional<Size>> sizeIncrements(const std::vector<AXWindow>& windows) override;

    std::vector<std::pair<AXWindow, Rect>> markedWindows() override;
    void setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) override;
    void setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) override;
    void clearParkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<std::optional<Rect>> parkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<bool> iconifyAll(const std::vector<AXWindow>& windows) override;
    void deiconifyAll(const std::vector<AXWindow>& windows, bool settle) override;
    std::vector<bool> isIconifiedAll(const std::vector<AXWindow>& windows) override;

private:
    // The batches handle one window at a time, in order, as a window system without batches
    // would: each window's turn counts against its injected vanishing, each write is logged.
    std::optional<Rect> readFrame(const AXWindow& window);
    bool writeFrame(const AXWindow& window, const Rect& frame);
    void writeOrigin(const AXWindow& window, const Point& origin);
    void writeMark(const AXWindow& window, const Rect& savedFrame);
    void eraseMark(const AXWindow& window);
    bool minimise(const AXWindow& window);
    void unminimise(const AXWindow& window);
    // One write of a size or a position; false when the window is gone or refuses it.
    bool writeSize(std::uint32_t id, Size size);
    bool writePosition(std::uint32_t id, Point origin);

    FakeDesktop& desktop_;
};

} // namespace morvanta
