#include "corrections/RandomError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvara {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Lags computed together (LaggedCovariances reads the series once for them).
constexpr int kBatch = 32;
// The lags searched at a time for the first negative correlation.
constexpr int kSearchGroup = 8;

// A lag without pairs has no covariance; it adds nothing to any sum.
double Defined(double value) { return std::isnan(value) ? 0.0 : value; }

// values[k] = the covariance of a(i), b(i + first + k), k < count.
void Covariances(const Series& a, const Series& b, int first, int count, double* values) {
    LaggedMoment moments[kBatch];
    for (int done = 0; done < count; done += kBatch) {
        const int batch = std::min(kBatch, count - done);
        LaggedCovariances(a, b, first + done, batch, moments);
        for (int k = 0; k < batch; ++k) values[done + k] = moments[k].covariance;
    }
}

// w's autocovariances up to the lag, kept for the block's other fluxes.
const double* WindAutocovariances(const Series& w, LagCache& cache, int last) {
    if (cache.known <= last) {
        Covariances(w, w, cache.known, last + 1 - cache.known, cache.values + cache.known);
        cache.known = last + 1;
    }
    return cache.values;
}

// The integral time scale of the cross-correlation of w and x, in seconds:
// |rho| summed up to its first negative value, within the search range. The
// covariances wx[p] for p < known are kept: batches may run past the first
// negative value.
double IntegralTimeScale(const Series& w, const Series& x, double covariance0, const RandomErrorSettings& settings,
                         int lastLag, double* wx, int& known) {
    wx[0] = covariance0;
    known = 1;
    double sum = 1.0;  // rho(0)
    // One group of lags at a time (LaggedCovariances computes eight side by
    // side): the first negative value often comes early.
    while (known <= lastLag) {
        const int first = known;
        known = std::min(first + kSearchGroup, lastLag + 1);
        Covariances(w, x, first, known - first, wx + first);
        for (int p = first; p < known; ++p) {
            const double rho = wx[p] / covariance0;
            if (rho < 0.0) return sum / settings.fs;
            sum += Defined(std::fabs(rho));
        }
    }
    return sum / settings.fs;
}

// 2 sum over p = 1 .. M of gamma_ww(p) gamma_xx(p) + gamma_wx(p) gamma_xw(p).
double LaggedTerms(const Series& w, const Series& x, int M, LagCache& ww, double* wx, int known) {
    const double* autocovariance = WindAutocovariances(w, ww, M);
    if (M >= known) Covariances(w, x, known, M + 1 - known, wx + known);
    double xw[kBatch], xx[kBatch];
    double sum = 0.0;
    for (int first = 1; first <= M; first += kBatch) {
        const int batch = std::min(kBatch, M + 1 - first);
        Covariances(x, w, first, batch, xw);
        Covariances(x, x, first, batch, xx);
        for (int k = 0; k < batch; ++k) {
            const int p = first + k;
            sum += Defined(autocovariance[p]) * Defined(xx[k]) + Defined(wx[p]) * Defined(xw[k]);
        }
    }
    return 2.0 * sum;
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
    const double xx0 = LaggedCovariance(x, x, 0).covariance;
    const double ww0 = WindAutocovariances(w, ww, 0)[0];
    // A series that never changes makes every lagged covariance with it 0:
    // a stuck analyser must not cost a sum over a calm night's long time scale.
    if (xx0 == 0.0 || ww0 == 0.0) return 0.0;
    const double lags = std::round(scale * settings.fs);
    const int M = static_cast<int>(std::min(lags, static_cast<double>(lastPosition)));
    const double total = ww0 * xx0 + zero.covariance * zero.covariance + LaggedTerms(w, x, M, ww, scratch, known);
    return std::sqrt(std::fabs(total) / zero.pairs);
}

}  // namespace kelvara
