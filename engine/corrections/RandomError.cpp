#include "corrections/RandomError.h"

#include <algorithm>
#include <cmath>
#include <limits>


namespace kelvara {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A lag without pairs has no covariance; it adds nothing to any sum.
double Defined(double value) { return std::isnan(value) ? 0.0 : value; }

double WindAutocovariance(const Series& w, LagCache& cache, int lag) {
    while (cache.known <= lag) {
        cache.values[cache.known] = LaggedCovariance(w, w, cache.known).covariance;
        ++cache.known;
    }
    return cache.values[lag];
}

// The integral time scale of the cross-correlation of w and x, in seconds:
// |rho| summed up to its first negative value, within the search range.
// wx receives the covariances it computed; known says how many.
double IntegralTimeScale(const Series& w, const Series& x, double covariance0, const RandomErrorSettings& settings,
                         int lastLag, double* wx, int& known) {
    double sum = 0.0;
    for (int p = 0; p <= lastLag; ++p) {
        wx[p] = p == 0 ? covariance0 : LaggedCovariance(w, x, p).covariance;
        known = p + 1;
        const double rho = wx[p] / covariance0;
        if (rho < 0.0) break;
        sum += Defined(std::fabs(rho));
    }
    return sum / settings.fs;
}

}  // namespace

double CovarianceRandomError(const Series& w, const Series& x, const RandomErrorSettings& settings, LagCache& ww,
                             double* scratch) {
    const LaggedMoment zero = LaggedCovariance(w, x, 0);
    if (zero.pairs == 0) return kNaN;
    const int lastPosition = w.count - 1;
    // Lags beyond the block have no pairs: they change nothing.
    const double searchRecords = std::round(settings.maxLagSeconds * settings.fs);
    const int lastLag = static_cast<int>(std::min(searchRecords, static_cast<double>(lastPosition)));
    int known = 0;
    double scale = kNaN;
    if (zero.covariance != 0.0) {
        scale = IntegralTimeScale(w, x, zero.covariance, settings, lastLag, scratch, known);
    }
    if (!(scale <= 2.0 * settings.maxLagSeconds)) {
        if (!(settings.meanU > 0.0)) return kNaN;
        scale = settings.fallbackHeight / settings.meanU;
    }
    const double lags = std::round(scale * settings.fs);
    const int M = static_cast<int>(std::min(lags, static_cast<double>(lastPosition)));

    const double xx0 = LaggedCovariance(x, x, 0).covariance;
    double sum = 0.0;
    for (int p = 1; p <= M; ++p) {
        const double wx = p < known ? scratch[p] : LaggedCovariance(w, x, p).covariance;
        const double xw = LaggedCovariance(x, w, p).covariance;
        const double xx = LaggedCovariance(x, x, p).covariance;
        sum += Defined(WindAutocovariance(w, ww, p)) * Defined(xx) + Defined(wx) * Defined(xw);
    }
    const double total = WindAutocovariance(w, ww, 0) * xx0 + zero.covariance * zero.covariance + 2.0 * sum;
    return std::sqrt(std::fabs(total) / zero.pairs);
}

}  // namespace kelvara
