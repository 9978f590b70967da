#include "corrections/SpectralFactors.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace kelvara {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFirstFrequency = 1.0 / 7200.0;  // Hz
constexpr double kLastFrequency = 10.0;
// Frequencies at or below this carry no weight: a half hour says nothing
// about them.
constexpr double kLowestSummed = 1.0 / 5000.0;
constexpr double kBlockSeconds = 1800.0;

// A model cospectrum's shape (its scale cancels in the factor): unstable,
// gain f / (n (1 + rate f)^power) with one set of constants below the knee
// frequency and another above; stable, f / (n (A + B f^2.1)) with
// A = scale (1 + slope z/L)^0.75 and B = 2.34 A^-1.1.
struct Cospectrum {
    double knee;
    double lowGain, lowRate, lowPower;
    double highGain, highRate, highPower;
    double stableScale, stableSlope;
};

constexpr Cospectrum kScalarCospectrum{0.54, 12.92, 26.7, 1.375, 4.378, 3.8, 2.4, 0.284, 6.4};
constexpr Cospectrum kMomentumCospectrum{0.24, 20.78, 31.0, 1.575, 12.66, 9.6, 2.4, 0.124, 7.9};

double Evaluate(const Cospectrum& c, double n, double f, double zL) {
    if (zL > 0.0) {
        const double A = c.stableScale * std::pow(1.0 + c.stableSlope * zL, 0.75);
        const double B = 2.34 * std::pow(A, -1.1);
        return f / (n * (A + B * std::pow(f, 2.1)));
    }
    if (f < c.knee) return c.lowGain * f / (n * std::pow(1.0 + c.lowRate * f, c.lowPower));
    return c.highGain * f / (n * std::pow(1.0 + c.highRate * f, c.highPower));
}

double FirstOrderSensor(double n, double timeConstant) {
    if (timeConstant == 0.0) return 1.0;
    const double x = 2.0 * kPi * n * timeConstant;
    return 1.0 / std::sqrt(1.0 + x * x);
}

// Line averaging of w along a sonic path (Moore 1986).
double SonicLineAveraging(double n, double path, double U) {
    if (path == 0.0) return 1.0;
    const double x = 2.0 * kPi * n * path / U;
    const double e = std::exp(-x);
    return (2.0 / (kPi * n * path / U)) * (1.0 + e / 2.0 - 3.0 * (1.0 - e) / (2.0 * x));
}

// Line averaging of a scalar along the analyser's path.
double ScalarLineAveraging(double n, double path, double U) {
    if (path == 0.0) return 1.0;
    const double x = 2.0 * kPi * n * path / U;
    const double e = std::exp(-x);
    return std::sqrt((3.0 + e - 4.0 * (1.0 - e) / x) / x);
}

// exp(-9.9 (n s / U)^1.5), the power as x sqrt(x).
double Separation(double n, double distance, double U) {
    if (distance == 0.0) return 1.0;
    const double x = n * distance / U;
    return std::exp(-9.9 * (x * std::sqrt(x)));
}

struct Factor {
    double model = 0.0;        // sum of Co dn
    double transferred = 0.0;  // sum of TF Co dn
    void Add(double cospectrum, double transfer, double width) {
        model += cospectrum * width;
        transferred += transfer * cospectrum * width;
    }
    double Value() const { return model / transferred; }
};

// The frequencies and their block-average transfer, the same for every
// half hour: computed once.
struct FrequencyGrid {
    double n[kSpectralPoints + 1];
    double blockAverage[kSpectralPoints + 1];
};

const FrequencyGrid& Grid() {
    static const FrequencyGrid grid = [] {
        FrequencyGrid g{};
        for (int k = 1; k <= kSpectralPoints; ++k) {
            g.n[k] = SpectralFrequency(k);
            g.blockAverage[k] = BlockAverageTransfer(g.n[k]);
        }
        return g;
    }();
    return grid;
}

}  // namespace

double BlockAverageTransfer(double n) {
    const double x = kPi * n * kBlockSeconds;
    const double s = std::sin(x);
    return 1.0 - (s * s) / (x * x);
}

double SpectralFrequency(int k) {
    if (k <= 1) return kFirstFrequency;
    const double first = std::log(kFirstFrequency);
    return std::exp(first + (std::log(kLastFrequency) - first) * k / kSpectralPoints);
}

SpectralFactors ComputeSpectralFactors(const SiteSettings& site, double windSpeed, double zL) {
    if (site.spectral == SpectralModel::None) return SpectralFactors{};
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (!(windSpeed > 0.0)) return SpectralFactors{kNaN, kNaN, kNaN};
    const double U = windSpeed;
    const double height = site.AerodynamicHeight();
    const double horizontal = std::sqrt(site.sepNorth * site.sepNorth + site.sepEast * site.sepEast);
    const double vertical = std::fabs(site.sepVertical);

    const FrequencyGrid& grid = Grid();
    Factor tau, heat, gas;
    for (int k = 1; k < kSpectralPoints; ++k) {
        const double n = grid.n[k];
        if (n > kLowestSummed) {
            const double width = grid.n[k + 1] - n;
            const double f = n * height / U;
            const double blockAverage = grid.blockAverage[k];
            const double highPass =
                site.hpTransfer == HighPassTransfer::Product ? blockAverage * blockAverage : blockAverage;
            const double sonic =
                FirstOrderSensor(n, site.sonicTimeConstant) * SonicLineAveraging(n, site.sonicPathLength, U);
            const double sonicPair = sonic * sonic * highPass;
            const double gasTransfer = sonic * FirstOrderSensor(n, site.irgaTimeConstant) *
                                       ScalarLineAveraging(n, site.irgaPathLength, U) * Separation(n, horizontal, U) *
                                       Separation(n, vertical, U) * highPass;
            const double scalar = Evaluate(kScalarCospectrum, n, f, zL);
            tau.Add(Evaluate(kMomentumCospectrum, n, f, zL), sonicPair, width);
            heat.Add(scalar, sonicPair, width);
            gas.Add(scalar, gasTransfer, width);
        }
    }
    return SpectralFactors{tau.Value(), heat.Value(), gas.Value()};
}

}  // namespace kelvara
