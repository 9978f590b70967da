#pragma once
// Shared by the corrections' tests: reproducible noise, and series of a
// block's positions built from plain values.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "corrections/LaggedCovariance.h"

namespace kelvara::testing {

// Gaussian noise, the same on every platform (its own generator, Box-Muller).
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double Uniform() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return (static_cast<double>(state_ >> 11) + 0.5) / 9007199254740992.0;
    }
    double Gauss() { return std::sqrt(-2.0 * std::log(Uniform())) * std::cos(2.0 * std::numbers::pi * Uniform()); }
    std::vector<double> Gauss(int count) {
        std::vector<double> values(static_cast<std::size_t>(count));
        for (double& v : values) v = Gauss();
        return values;
    }

private:
    std::uint64_t state_;
};

// A series that owns its arrays; positions listed in gaps hold no value.
class OwnedSeries {
public:
    explicit OwnedSeries(const std::vector<double>& values, const std::vector<int>& gaps = {})
        : deviation_(values.size()), present_(values.size(), 1), gaps_(gaps) {
        for (const int g : gaps) present_[static_cast<std::size_t>(g)] = 0;
        double sum = 0.0;
        int count = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (present_[i] == 0) continue;
            sum += values[i];
            ++count;
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            deviation_[i] = present_[i] != 0 ? values[i] - sum / count : 0.0;
        series_ = Series{deviation_.data(),
                         present_.data(),
                         gaps_.data(),
                         static_cast<int>(gaps_.size()),
                         static_cast<int>(values.size()),
                         SumOf(deviation_.data(), static_cast<int>(values.size()))};
    }
    OwnedSeries(const OwnedSeries&) = delete;
    OwnedSeries& operator=(const OwnedSeries&) = delete;

    const Series& operator*() const { return series_; }
    const Series* operator->() const { return &series_; }

private:
    std::vector<double> deviation_;
    std::vector<std::uint8_t> present_;
    std::vector<int> gaps_;
    Series series_;
};

}  // namespace kelvara::testing
