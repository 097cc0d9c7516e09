#pragma once

#include <cstdint>

namespace assets {

// xorshift32: our own generator, so the same seed gives the same bytes with
// any standard library.
class Prng {
public:
    explicit Prng(std::uint32_t seed) : state_(seed == 0 ? 1u : seed) {}

    std::uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    // Uniform in [low, high).
    double between(double low, double high)
    {
        return low + (high - low) * (next() / 4294967296.0);
    }

private:
    std::uint32_t state_ = 1;
};

} // namespace assets
