// FocusTracker: follows the focused window. Reports it every time focus moves and every time
// that window moves or changes size (Morvanta's own moves included: the focus border follows
// them), and reports nothing (an empty optional) when no window, or a window of this program,
// has focus.
#pragma once

#include "ax/ax_window.h"

#include <functional>
#include <optional>

namespace morvanta {

class FocusTracker {
public:
    virtual ~FocusTracker() = default;

    // Starts following and reports the currently focused window once; harmless when started.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isStarted() const = 0;

    std::function<void(const std::optional<AXWindow>&)> onChange;
};

} // namespace morvanta
