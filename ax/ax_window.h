// AXWindow: the handle on one top-level window of another application. A small value (window
// id, owning process id, and the window system that answers for it) that is copied freely and
// compared by pid, then window id, so the same window fetched twice finds the same map entry.
// Every operation forwards to the window system; a handle whose window system is gone, or whose
// window vanished, answers absent results, empty strings and false. Nothing throws.
#pragma once

#include "core/geometry.h"

#include <compare>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace morvanta {

class WindowAccess;

// The result codes of the three steps of `AXWindow::focus`, 0 meaning success: bring the
// application to the front, make the window its main window, raise the window.
struct FocusResult {
    int frontmost = 0;
    int main = 0;
    int raise = 0;
    bool operator==(const FocusResult&) const = default;
};

class AXWindow {
public:
    // A null handle: it names no window and every read is absent.
    AXWindow() = default;
    AXWindow(std::weak_ptr<WindowAccess> access, std::uint32_t id, std::int32_t pid)
        : access_(std::move(access)), id_(id), pid_(pid) {}

    // The window system's identity of the window (an X11 client window id on X11).
    std::uint32_t id() const { return id_; }
    // The owning process; 0 when the window does not say.
    std::int32_t pid() const { return pid_; }

    // Empty when the window has no title or cannot be read.
    std::string title() const;
    // The application's name; "pid " and the number when it cannot be found.
    std::string appName() const;
    // The identity that application rules match (WM_CLASS's class on X11).
    std::optional<std::string> bundleIdentifier() const;
    // appName, " — “", title, "”".
    std::string description() const;

    // An ordinary document window (not a dialog, utility, dock, menu or transient).
    bool isStandard() const;
    std::optional<bool> isMinimized() const;
    std::optional<bool> isFullScreen() const;

    // The outer frame (decorations included) in the global top-left space.
    std::optional<Rect> frame() const;
    // Size, then position, then size again; true when the last two steps succeeded.
    bool setFrame(const Rect& frame) const;
    bool setPosition(const Point& origin) const;
    // The step a window resizes in (absent, or each side above 1, for windows that size in
    // steps, like terminals): such a window counts as at a target within one step.
    std::optional<Size> sizeIncrement() const;
    void raise() const;
    FocusResult focus() const;

    friend bool operator==(const AXWindow& a, const AXWindow& b) {
        return a.pid_ == b.pid_ && a.id_ == b.id_;
    }
    friend std::strong_ordering operator<=>(const AXWindow& a, const AXWindow& b) {
        if (auto order = a.pid_ <=> b.pid_; order != 0)
            return order;
        return a.id_ <=> b.id_;
    }

private:
    std::shared_ptr<WindowAccess> access() const { return access_.lock(); }

    std::weak_ptr<WindowAccess> access_;
    std::uint32_t id_ = 0;
    std::int32_t pid_ = 0;
};

} // namespace morvanta

template <> struct std::hash<morvanta::AXWindow> {
    std::size_t operator()(const morvanta::AXWindow& window) const noexcept {
        const std::size_t h = std::hash<std::int32_t>{}(window.pid());
        return h ^ (std::hash<std::uint32_t>{}(window.id()) + 0x9e3779b97f4a7c15ULL + (h << 6) +
                    (h >> 2));
    }
};
