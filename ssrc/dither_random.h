// Pseudo-random numbers for dither: integer arithmetic (xoshiro256**, seeded
// by splitmix64) so that a seed gives the same sequence on every platform.
#ifndef SSRC_DITHER_RANDOM_H
#define SSRC_DITHER_RANDOM_H

#include <cstdint>

namespace ssrc {

struct DitherRandom {
    uint64_t s[4];

    void seed(uint64_t value) {
        for (uint64_t& word : s) {
            value += 0x9E3779B97F4A7C15ull;
            uint64_t z = value;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }

    uint64_t next() {
        const uint64_t result = rotate(s[1] * 5, 7) * 9;
        const uint64_t t = s[1] << 17;
        s[2] ^= s[0];
        s[3] ^= s[1];
        s[1] ^= s[2];
        s[0] ^= s[3];
        s[2] ^= t;
        s[3] = rotate(s[3], 45);
        return result;
    }

    // Uniform in [0, 1), exact multiples of 2^-53.
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

  private:
    static uint64_t rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
};

} // namespace ssrc

#endif
