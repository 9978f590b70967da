#pragma once
// The site file's settings: the tower, its instruments, the time-lag search
// and the conventions of the corrections. Every member has the site file's
// default; the two required keys have none and are set by whoever reads it.

#include <optional>

namespace kelvara {

// Which way +u of the sonic points relative to its azimuth.
enum class UPositive {
    From,    // +u is wind coming from the azimuth (arms into the wind)
    Toward,  // +u is air moving toward the azimuth
};

enum class LagMethod { None, Constant, MaxCov, MaxCovDefault };
enum class SpectralModel { Moncrieff97, None };
// The block average's high-pass transfer function: once, as removing a
// block mean does, or squared, as the other processor applies it.
enum class HighPassTransfer { Single, Product };
// Which covariances the spectral factors multiply: each its own before the
// density terms, or the other processor's sequence on the fluxes.
enum class CorrectionOrder { Covariances, Peer };
enum class ObukhovFlux { Buoyancy, Sensible };
enum class ObukhovTemperature { Actual, Potential };
enum class WindDirectionMean { Vector, Unit };

struct SiteSettings {
    // [site]
    double measurementHeight = 0.0;            // z, m (required)
    std::optional<double> displacementHeight;  // d, m; absent: 0.67 canopy height
    double canopyHeight = 0.0;                 // m
    double latitude = 0.0;                     // degrees north (required)

    // [sonic]
    double sonicPathLength = 0.115;         // m
    double sonicTimeConstant = 1.0 / 60.0;  // s
    double sonicAzimuth = 0.0;              // degrees from north
    UPositive uPositive = UPositive::From;
    double declination = 0.0;  // degrees, added to the azimuth

    // [irga]
    double irgaPathLength = 0.127;  // m
    double irgaTimeConstant = 0.1;  // s
    double sepNorth = 0.0;          // m, the analyser's path centre from the sonic's volume
    double sepEast = 0.0;
    double sepVertical = 0.0;

    // [lag] (seconds; absent = auto)
    LagMethod lagMethod = LagMethod::MaxCovDefault;
    std::optional<double> co2Min, co2Max, h2oMin, h2oMax;
    double co2Default = 0.0;
    double h2oDefault = 0.0;

    // [processing]
    std::optional<double> fs;  // Hz; absent = auto, from the time stamps
    SpectralModel spectral = SpectralModel::Moncrieff97;
    HighPassTransfer hpTransfer = HighPassTransfer::Single;
    CorrectionOrder correctionOrder = CorrectionOrder::Covariances;
    ObukhovFlux obukhovFlux = ObukhovFlux::Buoyancy;
    ObukhovTemperature obukhovTemperature = ObukhovTemperature::Actual;
    double vonKarman = 0.40;
    WindDirectionMean windDirection = WindDirectionMean::Vector;
    double ruMaxLagSeconds = 10.0;
    double minCoverage = 90.0;  // percent of the half hour's records

    // d as given, else 0.67 times the canopy height.
    double DisplacementHeight() const { return displacementHeight.value_or(0.67 * canopyHeight); }
    // z - d.
    double AerodynamicHeight() const { return measurementHeight - DisplacementHeight(); }
};

// The settings a run computes with: the site file's, the sampling frequency
// known.
struct FluxSettings {
    SiteSettings site;
    double fs = 10.0;  // Hz
};

}  // namespace kelvara
