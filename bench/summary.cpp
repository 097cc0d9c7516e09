#include "bench/summary.h"

#include <algorithm>
#include <cstdio>

void print_summary(std::string_view label, std::vector<double> samples, std::string_view unit)
{
    const auto label_width = static_cast<int>(label.size());
    const auto unit_width = static_cast<int>(unit.size());
    if (samples.empty()) {
        std::printf("%.*s: no samples\n", label_width, label.data());
        return;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    // Nearest rank: the smallest sample at or above the given share of them.
    const auto rank = [n](std::size_t percent) { return (n * percent + 99) / 100 - 1; };
    std::printf("%.*s: n %zu, median %.3f %.*s, p99 %.3f %.*s, max %.3f %.*s\n", label_width,
                label.data(), n, samples[rank(50)], unit_width, unit.data(), samples[rank(99)],
                unit_width, unit.data(), samples.back(), unit_width, unit.data());
}
