#pragma once
// A small generator of our own: the same seed gives the same numbers with
// every compiler and standard library, which std distributions do not.

#include <cstdint>

namespace kelvara::samples {

inline std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// xoshiro256** (Blackman and Vigna), seeded through splitmix64.
class SamplePrng {
public:
    explicit SamplePrng(std::uint64_t seed) {
        for (std::uint64_t& word : s_) word = SplitMix64(seed);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = Rotl(s_[3], 45);
        return result;
    }

    // Uniform in [0, 1), from the top 53 bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    // Uniform in [low, high).
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }

    // Uniform integer in [low, high].
    int Integer(int low, int high) {
        const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(Next() % span);
    }

    bool Chance(double probability) { return probability > 0.0 && Uniform() < probability; }

    // Roughly normal with mean 0 and variance 1: the centred sum of four
    // uniforms, scaled. Uses no log or cosine, whose last bit differs
    // between maths libraries.
    double Normal() {
        const double sum = Uniform() + Uniform() + Uniform() + Uniform();
        return (sum - 2.0) * 1.7320508075688772;  // sqrt(3): variance 4/12 -> 1
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t s_[4];
};

}  // namespace kelvara::samples
