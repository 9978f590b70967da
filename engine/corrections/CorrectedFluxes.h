#pragma once
// One half hour's fluxes corrected for the time lag and the spectral losses,
// with their quality flags, stability, wind and random errors: the lines of
// the corrected results file, computed on the standard methods' block.

#include <limits>
#include <optional>

#include "corrections/CorrectionWorkspace.h"
#include "corrections/SiteSettings.h"
#include "pipeline/Rotation.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// The lag of one gas, in records and in seconds.
struct GasLag {
    int used = 0;   // records
    int found = 0;  // records
    bool usedDefault = false;
    double usedSeconds = 0.0;
    double foundSeconds = 0.0;
};

inline constexpr double kMissingValue = std::numeric_limits<double>::quiet_NaN();

// NaN marks a value that is missing or undefined; an empty percentage a
// test that could not be made.
struct CorrectedFluxes {
    int N = 0;  // good records

    // Corrected: tau (a magnitude, kg m-1 s-2), H, LE (W m-2), Fc (umol m-2 s-1), u* (m/s).
    double tau = kMissingValue, H = kMissingValue, LE = kMissingValue, FC = kMissingValue, ustar = kMissingValue;
    // The standard methods' values with the lags applied, before the spectral correction.
    double tauStd = kMissingValue, HStd = kMissingValue, LEStd = kMissingValue, FCStd = kMissingValue,
           ustarStd = kMissingValue;
    // Spectral factors (LE and Fc share one).
    double tauFactor = kMissingValue, HFactor = kMissingValue, LEFactor = kMissingValue, FCFactor = kMissingValue;

    GasLag co2Lag, h2oLag;

    double obukhovLength = kMissingValue;                   // m
    double zL = kMissingValue;                              // (z - d) / L
    double zLSpectral = kMissingValue;                      // (z - d) / L of the uncorrected fluxes, for the cospectra
    double tstar = kMissingValue;                           // K
    double windSpeed = kMissingValue;                       // m/s
    double windDirection = kMissingValue;                   // degrees from north
    double sigmaU = kMissingValue, sigmaW = kMissingValue;  // m/s, rotated
    double sigmaTs = kMissingValue;                         // K

    // Test percentages, truncated.
    std::optional<int> tauSS, HSS, LESS, FCSS;
    std::optional<int> uITC, wITC, tsITC;
    // 0, 1 or 2.
    int tauFlag = 2, HFlag = 2, LEFlag = 2, FCFlag = 2;

    // Random errors in flux units.
    double tauRandom = kMissingValue, HRandom = kMissingValue, LERandom = kMissingValue, FCRandom = kMissingValue;

    double airTemperature = kMissingValue;    // degrees C
    double pressure = kMissingValue;          // kPa
    double sonicTemperature = kMissingValue;  // degrees C
    double coverage = kMissingValue;          // percent of the half hour's fs 1800 records that were good
};

// Everything on a block that the standard screening passed (Despike ran and
// left at least one good record; samples despiked, flags set): rotation,
// time lags, steady state, spectral factors, corrected fluxes, stability and
// wind, turbulence test, flags and random errors. False, with result
// untouched, only when the workspace could not grow to the block: the run is
// then out of memory.
bool ComputeCorrectedFluxes(const StandardBlock& block, const RotationSettings& rotation, const FluxSettings& settings,
                            CorrectionWorkspace& workspace, CorrectedFluxes& result);

}  // namespace kelvara
