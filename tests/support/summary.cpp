#include "summary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// Nearest rank: the smallest sample at or above the given share of them.
std::size_t rank(std::size_t n, std::size_t percent)
{
    return (n * percent + 99) / 100 - 1;
}

} // namespace

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
    std::printf("%.*s: n %zu, median %.3f %.*s, p99 %.3f %.*s, max %.3f %.*s\n", label_width,
                label.data(), n, samples[rank(n, 50)], unit_width, unit.data(), samples[rank(n, 99)],
                unit_width, unit.data(), samples.back(), unit_width, unit.data());
}

double percentile(std::vector<double> samples, std::size_t percent)
{
    if (samples.empty())
        return 0;
    const auto at = samples.begin() + static_cast<std::ptrdiff_t>(rank(samples.size(), percent));
    std::nth_element(samples.begin(), at, samples.end());
    return *at;
}

double median(std::vector<double> samples)
{
    return percentile(std::move(samples), 50);
}

double millis(std::chrono::steady_clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

void give_up(const char* what)
{
    std::fprintf(stderr, "zumbrel bench: %s\n", what);
    std::exit(1);
}
