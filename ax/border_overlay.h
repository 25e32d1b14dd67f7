// BorderOverlay: a click-through coloured ring of Morvanta's own around one window of another
// application (the focus border). This class holds what every backend shares: the appearance
// (width, colour, corner radius), where the panel goes (`width` beyond the window on every
// side), the one-entry cache of the target's window number, and the economies that keep a drag
// cheap: the panel frame is set only when it changed and the ring is rebuilt only when the
// panel's size changed. A backend supplies the panel itself: placing it, drawing the ring,
// stacking it, ordering it out.
//
// The panel's frame is in the global top-left space, like window frames (on X11 the two
// coordinate spaces are the same, so no conversion is needed).
#pragma once

#include "ax/ax_window.h"
#include "ax/border_color.h"
#include "core/geometry.h"

#include <cstdint>
#include <optional>

namespace morvanta {

class WindowNumbers;

class BorderOverlay {
public:
    explicit BorderOverlay(WindowNumbers& numbers) : numbers_(numbers) {}
    virtual ~BorderOverlay() = default;
    BorderOverlay(const BorderOverlay&) = delete;
    BorderOverlay& operator=(const BorderOverlay&) = delete;

    double width() const { return width_; }
    // Redraws at once, even when the value is unchanged.
    void setWidth(double width);
    const BorderColor& color() const { return color_; }
    // Only stored: the new colour shows at the next redraw (a width, radius or size change).
    void setColor(const BorderColor& color) { color_ = color; }
    double cornerRadius() const { return cornerRadius_; }
    // Redraws at once.
    void setCornerRadius(double radius);
    bool orderAboveTarget() const { return orderAboveTarget_; }
    // Only stored: used by the next `show`.
    void setOrderAboveTarget(bool above) { orderAboveTarget_ = above; }

    // Places the panel around the window and orders it in: directly above the window's frame
    // when `orderAboveTarget` holds and its number is known, else floating above everything.
    // False, with the panel ordered out, when the window's frame cannot be read.
    bool show(const AXWindow& window);
    void hide();
    bool isVisible() const { return panelVisible(); }

    // The window-server number of `window`, from the one-entry cache when it holds `window`;
    // otherwise looked up (by `knownFrame`, or the window's frame read now) and cached. None,
    // cache unchanged, when the frame cannot be read or no number matches.
    std::optional<std::uint32_t> windowNumber(const AXWindow& window,
                                              std::optional<Rect> knownFrame = std::nullopt);
    // Drops the cache entry when it holds `number`: that window is gone, and a window manager
    // that reframes a client gives it a new number.
    void forgetNumber(std::uint32_t number);
    const std::optional<AXWindow>& cachedWindow() const { return cachedWindow_; }
    const std::optional<std::uint32_t>& cachedNumber() const { return cachedNumber_; }

    // Redraws the ring for the current panel size (nothing when the panel is empty).
    void updatePath();
    // Moves the panel around `windowRect` without changing its stacking or visibility (the drag
    // tracker's per-frame update). True when the panel frame changed.
    bool render(const Rect& windowRect);

    // The panel's frame for a window's rectangle: grown by `width` on every side.
    Rect panelFrame(const Rect& windowRect) const;
    // The panel's current frame; empty before the first placement.
    const Rect& frame() const { return frame_; }

protected:
    // Sets the panel's frame without drawing (the ring follows through `drawRing` when the size
    // changed).
    virtual void placePanel(const Rect& frame) = 0;
    // Draws the ring filling a panel of `size` with the current width, radius and colour.
    virtual void drawRing(const Size& size) = 0;
    // Orders the panel in at the normal level directly above window `number`.
    virtual void orderAbove(std::uint32_t number) = 0;
    // Orders the panel in at the floating level, above every ordinary window.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool panelVisible() const = 0;

private:
    // Sets the frame when it differs; redraws when the size differs. True when it differed.
    bool moveTo(const Rect& frame);

    WindowNumbers& numbers_;
    double width_ = 4.0;
    BorderColor color_;
    double cornerRadius_ = 12.0;
    bool orderAboveTarget_ = true;
    Rect frame_;
    std::optional<AXWindow> cachedWindow_;
    std::optional<std::uint32_t> cachedNumber_;
};

} // namespace morvanta
