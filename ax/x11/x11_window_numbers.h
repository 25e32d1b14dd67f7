// X11WindowNumbers: window numbers are top-level frame windows (children of the root), the
// windows a focus border can stack itself against.
#pragma once

#include "ax/window_numbers.h"
#include "ax/x11/x11_window_access.h"

#include <memory>

namespace morvanta {

class X11WindowNumbers : public WindowNumbers {
public:
    explicit X11WindowNumbers(std::shared_ptr<X11WindowAccess> access)
        : access_(std::move(access)) {}

    std::optional<std::uint32_t> number(const AXWindow& window, const Rect& frame) override;
    std::optional<Rect> bounds(std::uint32_t number) override;

private:
    std::shared_ptr<X11WindowAccess> access_;
};

} // namespace morvanta
