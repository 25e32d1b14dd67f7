// StartupRescue: at start, brings back windows an earlier run left hidden. Windows that carry
// Morvanta's parking mark (the earlier run crashed or was killed) go back to the exact frames
// saved in the mark; windows found in a screen's parking corner without a mark are centred on
// their screen's visible area, no larger than it. One log line names them all.
#pragma once

#include "app/controller/controller_state.h"

#include <cstddef>

namespace morvanta {

class StartupRescue {
public:
    explicit StartupRescue(ControllerState& state) : state_(state) {}

    // Answers how many windows it brought back.
    std::size_t run();

private:
    static Rect centred(const Rect& frame, const Rect& visible);

    ControllerState& state_;
};

} // namespace morvanta
