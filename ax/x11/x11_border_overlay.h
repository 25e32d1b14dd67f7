// X11BorderOverlay: the focus border on an X server. The panel is an override-redirect window
// of Morvanta's own, filled with the border colour by the server (its background pixel, so there
// is nothing to repaint on exposure) and cut to the ring with the SHAPE extension: the bounding
// shape is the ring, the input shape is empty, so every click passes through to the window
// beneath. It works alike with or without a compositing manager.
//
// Stacking: directly above the target's frame window (a child of the root), or above every
// window when that frame is unknown. The root's stacking news (ConfigureNotify, CirculateNotify,
// MapNotify on the root's children) restacks it whenever another window has come between it and
// its target, or above it while it floats; a destroyed frame leaves the window-number cache.
// Events arrive through the shared connection's dispatch.
#pragma once

#include "ax/border_overlay.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace morvanta {

class X11Connection;
class X11WindowSystem;

class X11BorderOverlay : public BorderOverlay {
public:
    // None when the server lacks SHAPE 1.1 (input shapes): without it a ring cannot be
    // click-through.
    static std::unique_ptr<X11BorderOverlay> create(std::shared_ptr<X11Connection> connection,
                                                    WindowNumbers& numbers);
    static std::unique_ptr<X11BorderOverlay> create(X11WindowSystem& system);
    ~X11BorderOverlay() override;

    // The panel window (for tests and diagnostics).
    xcb_window_t window() const { return window_; }
    // Ring rebuilds so far (one per size, width or radius change).
    long ringRebuilds() const { return ringRebuilds_; }

protected:
    void placePanel(const Rect& frame) override;
    void drawRing(const Size& size) override;
    void orderAbove(std::uint32_t number) override;
    void orderFront() override;
    void orderOut() override;
    bool panelVisible() const override { return mapped_; }

private:
    X11BorderOverlay(std::shared_ptr<X11Connection> connection, WindowNumbers& numbers);
    void createWindow();
    std::uint32_t pixel(const BorderColor& color) const;
    void handle(const xcb_generic_event_t& event);
    void restack();

    std::shared_ptr<X11Connection> connection_;
    xcb_window_t window_ = 0;
    int handler_ = 0;
    bool mapped_ = false;
    // The frame the panel sits directly above; none while it floats.
    std::optional<xcb_window_t> above_;
    // The sibling directly below the target frame, as last reported; tells a move of the target
    // from a restack of it.
    std::optional<xcb_window_t> belowTarget_;
    long ringRebuilds_ = 0;
    // The root visual's channel masks, for turning a colour into a pixel.
    std::uint32_t redMask_ = 0xff0000, greenMask_ = 0xff00, blueMask_ = 0xff;
};

} // namespace morvanta
