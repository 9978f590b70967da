#include "corrections/SteadyState.h"

#include <cmath>
#include <limits>

namespace kelvara {

namespace {

constexpr int kSubIntervals = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The whole block's covariance, and the mean of its sub-intervals'.
struct CovariancePair {
    double whole;
    double subMean;
};

CovariancePair Covariances(const Series& a, const Series& b, int width) {
    double sum = 0.0;
    for (int l = 0; l < kSubIntervals; ++l) sum += RangeCovariance(a, b, l * width, (l + 1) * width).covariance;
    return {LaggedCovariance(a, b, 0).covariance, sum / kSubIntervals};
}

double Deviation(const CovariancePair& c) { return std::fabs((c.whole - c.subMean) / c.whole) * 100.0; }

// NaN for the undefined cases (0 / 0, x / 0), so that they read as missing.
double Finite(double percent) { return std::isfinite(percent) ? percent : kNaN; }

}  // namespace

SteadyStateResult SteadyStateTest(const SteadyStateSeries& series) {
    const int width = series.w->count / kSubIntervals;
    if (width == 0) return {kNaN, kNaN, kNaN, kNaN};
    const CovariancePair uw = Covariances(*series.u, *series.w, width);
    const CovariancePair vw = Covariances(*series.v, *series.w, width);
    const double wholeUstar = std::sqrt(std::sqrt(uw.whole * uw.whole + vw.whole * vw.whole));
    const double subUstar = std::sqrt(std::sqrt(uw.subMean * uw.subMean + vw.subMean * vw.subMean));
    SteadyStateResult result;
    result.tau = Finite(std::fabs((wholeUstar - subUstar) / wholeUstar) * 100.0);
    result.H = Finite(Deviation(Covariances(*series.w, *series.ts, width)));
    result.LE = Finite(Deviation(Covariances(*series.w, *series.h2o, width)));
    result.FC = Finite(Deviation(Covariances(*series.w, *series.co2, width)));
    return result;
}

}  // namespace kelvara
