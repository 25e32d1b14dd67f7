// FrameQuery: a batch of frame reads sent now and collected later, so a caller can send other
// requests in between and wait for all the answers at once.
#pragma once

#include "core/geometry.h"

#include <optional>
#include <vector>

namespace morvanta {

class FrameQuery {
public:
    virtual ~FrameQuery() = default;
    // One answer per window asked about, in the order given; none for a window that vanished.
    // Called at most once.
    virtual std::vector<std::optional<Rect>> collect() = 0;
};

} // namespace morvanta
