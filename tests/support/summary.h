#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>
#include <vector>

// Prints the figures a report needs from a set of samples: count, median,
// 99th percentile and maximum, in the unit the samples were taken in.
void print_summary(std::string_view label, std::vector<double> samples, std::string_view unit);

// The smallest sample at or above the given share of them (nearest rank), as
// print_summary gives it; 0 without samples.
double percentile(std::vector<double> samples, std::size_t percent);
double median(std::vector<double> samples);

// A span of time in milliseconds, as the benches print them.
double millis(std::chrono::steady_clock::duration span);

// Ends the bench with `what` on standard error: it cannot measure.
[[noreturn]] void give_up(const char* what);
