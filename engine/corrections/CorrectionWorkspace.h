#pragma once
// Every scratch array the corrections of a half hour need. It grows to the
// largest half hour met and is then reused, so that a run allocates only
// while its blocks still grow.

#include <cstdint>
#include <memory>

#include "corrections/LaggedCovariance.h"

namespace kelvara {

// The block's series, each as deviations from its good records' mean.
enum SeriesIndex : int {
    kSeriesU,  // the sonic's own u, v, w
    kSeriesV,
    kSeriesW,
    kSeriesUr,  // rotated u, v, w
    kSeriesVr,
    kSeriesWr,
    kSeriesTs,
    kSeriesCO2,  // the gases as measured
    kSeriesH2O,
    kSeriesCO2Shifted,  // the gases with their lags applied
    kSeriesH2OShifted,
    kSeriesCount
};

class CorrectionWorkspace {
public:
    CorrectionWorkspace() = default;
    CorrectionWorkspace(const CorrectionWorkspace&) = delete;
    CorrectionWorkspace& operator=(const CorrectionWorkspace&) = delete;

    // Room for a block of count records; false when the memory could not be
    // had (the arrays are then as they were).
    bool Fit(int count);
    int Capacity() const { return capacity_; }

    double* Deviation(int index) { return deviations_.get() + static_cast<std::size_t>(index) * Stride(); }
    // Presence and gaps: one set for the block's own series, one per shifted gas.
    std::uint8_t* Present(int set) { return present_.get() + static_cast<std::size_t>(set) * Stride(); }
    int* Gaps(int set) { return gaps_.get() + static_cast<std::size_t>(set) * Stride(); }
    // Lagged covariances kept between the steps of the random error.
    double* Gamma(int which) { return gammas_.get() + static_cast<std::size_t>(which) * Stride(); }

    Series series[kSeriesCount];

    static constexpr int kPresenceSets = 3;  // the block, CO2 shifted, H2O shifted
    static constexpr int kGammaArrays = 2;   // w with w, w with the flux's scalar

private:
    std::size_t Stride() const { return static_cast<std::size_t>(capacity_); }

    int capacity_ = 0;
    std::unique_ptr<double[]> deviations_;
    std::unique_ptr<std::uint8_t[]> present_;
    std::unique_ptr<int[]> gaps_;
    std::unique_ptr<double[]> gammas_;
};

}  // namespace kelvara
