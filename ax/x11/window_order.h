// The order in which enumeration lists windows: applications (process ids) in the order their
// first window was mapped, and each application's windows front to back. Pure code.
#pragma once

#include <cstdint>
#include <vector>

namespace morvanta {

struct OrderedWindow {
    std::uint32_t window = 0;
    std::int32_t pid = 0;
};

// `mappingOrder`: windows oldest first. `stackingBottomToTop`: the same windows (or a superset)
// bottom to top; a window missing from it counts as lowest.
std::vector<OrderedWindow> orderWindows(const std::vector<OrderedWindow>& mappingOrder,
                                        const std::vector<std::uint32_t>& stackingBottomToTop);

} // namespace morvanta
