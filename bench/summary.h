#pragma once

#include <string_view>
#include <vector>

// Prints the figures a report needs from a set of samples: count, median,
// 99th percentile and maximum, in the unit the samples were taken in.
void print_summary(std::string_view label, std::vector<double> samples, std::string_view unit);
