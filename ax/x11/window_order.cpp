#include "ax/x11/window_order.h"

#include <algorithm>
#include <unordered_map>

namespace morvanta {

std::vector<OrderedWindow> orderWindows(const std::vector<OrderedWindow>& mappingOrder,
                                        const std::vector<std::uint32_t>& stackingBottomToTop) {
    std::unordered_map<std::uint32_t, std::size_t> height;
    for (std::size_t i = 0; i < stackingBottomToTop.size(); ++i)
        height[stackingBottomToTop[i]] = i + 1;
    std::unordered_map<std::int32_t, std::size_t> appRank;
    for (const auto& w : mappingOrder)
        appRank.try_emplace(w.pid, appRank.size());
    std::vector<OrderedWindow> result = mappingOrder;
    const auto heightOf = [&](std::uint32_t w) {
        const auto it = height.find(w);
        return it == height.end() ? std::size_t{0} : it->second;
    };
    std::stable_sort(result.begin(), result.end(), [&](const auto& a, const auto& b) {
        const auto ra = appRank[a.pid], rb = appRank[b.pid];
        if (ra != rb)
            return ra < rb;
        return heightOf(a.window) > heightOf(b.window);
    });
    return result;
}

} // namespace morvanta
