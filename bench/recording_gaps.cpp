// Finds what was lost in a recording of bench/audio_buffer_bench's tone: raw
// signed 16-bit little-endian stereo, as parec writes it, the tone on the left.
// A sine never holds zero for more than a sample, so a run of zeros inside it
// is sound the player failed to deliver; a jump in the sine with no silence is
// sound the recorder dropped, which says nothing about the player.
//   zumbrel_recording_gaps <file.raw> <rate>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

constexpr double tone_hz = 441;
constexpr std::size_t shortest_gap = 16; // frames
constexpr double largest_step_error = 100;

std::vector<int> left_channel(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<int> left(bytes.size() / 4);
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<std::int16_t>(bytes[4 * i] | bytes[4 * i + 1] << 8);
    return left;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: zumbrel_recording_gaps <file.raw> <rate>\n");
        return 2;
    }
    const double rate = std::atof(argv[2]);
    const std::vector<int> x = left_channel(argv[1]);

    // The player starts after the recorder and stops before it.
    std::size_t first = 0;
    while (first < x.size() && x[first] == 0)
        ++first;
    std::size_t last = x.size();
    while (last > first && x[last - 1] == 0)
        --last;

    int gaps = 0;
    std::size_t silent = 0;
    std::size_t longest = 0;
    int jumps = 0;
    const double twice_cos = 2 * std::cos(2 * std::numbers::pi * tone_hz / rate);
    for (std::size_t i = first; i < last; ++i) {
        std::size_t run = 0;
        while (i + run < last && x[i + run] == 0)
            ++run;
        if (run >= shortest_gap) {
            ++gaps;
            silent += run;
            longest = std::max(longest, run);
            i += run;
        } else if (i >= first + 2 && x[i] != 0 && x[i - 1] != 0 && x[i - 2] != 0) {
            // A sampled sine obeys x[n] = 2 cos(w) x[n-1] - x[n-2].
            jumps += std::abs(x[i] - (twice_cos * x[i - 1] - x[i - 2])) > largest_step_error;
        }
    }
    const auto ms = [rate](std::size_t frames) { return 1000.0 * static_cast<double>(frames) / rate; };
    std::printf("  recorded %.2f s of tone: %d silent gaps (%.1f ms in all, longest %.1f ms), "
                "%d breaks without silence\n",
                static_cast<double>(last - first) / rate, gaps, ms(silent), ms(longest), jumps);
}
