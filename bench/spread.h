// The figures the benchmarks of the whole program print: milliseconds from clock durations, and
// the median, 95th percentile and mean of a set of timings.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace morvanta::bench {

inline double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double mean(const std::vector<double>& values) {
    double sum = 0;
    for (const double v : values)
        sum += v;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

struct Spread {
    double median = 0, p95 = 0;
};

inline Spread spread(std::vector<double> values) {
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(q * values.size()))];
    };
    return {at(0.5), at(0.95)};
}

} // namespace morvanta::bench
