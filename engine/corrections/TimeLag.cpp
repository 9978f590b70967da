#include "corrections/TimeLag.h"

#include <algorithm>
#include <cmath>

namespace kelvara {

namespace {

constexpr double kLagRecordLimit = 1e9;
// The auto window: the time a gust takes across the separation at a slow
// 0.5 m/s, and the analyser's own delay.
constexpr double kAutoSecondsPerMetre = 2.0;
constexpr double kAutoSeconds = 0.3;

constexpr int kBatch = 32;

// visit(lag, covariance of w(i) and gas(i + lag)) for lag = first .. last in
// ascending order, the lags computed in batches. A negative lag L pairs
// gas(j) with w(j - L).
template <class Visit>
void ForEachLag(const Series& w, const Series& gas, int first, int last, Visit visit) {
    LaggedMoment moments[kBatch];
    for (int high = std::min(-first, w.count - 1); high >= 1 && -high <= last;) {
        const int low = std::max({high - kBatch + 1, -last, 1});
        LaggedCovariances(gas, w, low, high - low + 1, moments);
        for (int lag = high; lag >= low; --lag) visit(-lag, moments[lag - low].covariance);
        high = low - 1;
    }
    for (int low = std::max(first, 0); low <= last;) {
        const int count = std::min(kBatch, last - low + 1);
        LaggedCovariances(w, gas, low, count, moments);
        for (int k = 0; k < count; ++k) visit(low + k, moments[k].covariance);
        low += count;
    }
}

}  // namespace

int LagRecords(double seconds, double fs) {
    const double records = std::round(seconds * fs);
    return static_cast<int>(std::clamp(records, -kLagRecordLimit, kLagRecordLimit));
}

LagWindow ResolveLagWindow(const SiteSettings& site, Gas gas, double fs) {
    const double separation =
        std::sqrt(site.sepNorth * site.sepNorth + site.sepEast * site.sepEast + site.sepVertical * site.sepVertical);
    const double reach = kAutoSecondsPerMetre * separation + kAutoSeconds;
    const bool co2 = gas == Gas::CO2;
    const std::optional<double>& min = co2 ? site.co2Min : site.h2oMin;
    const std::optional<double>& max = co2 ? site.co2Max : site.h2oMax;
    return LagWindow{LagRecords(min.value_or(-reach), fs), LagRecords(max.value_or(reach), fs),
                     LagRecords(co2 ? site.co2Default : site.h2oDefault, fs)};
}

LagChoice ChooseLag(const Series& w, const Series& gas, const LagWindow& window, LagMethod method) {
    if (method == LagMethod::None) return LagChoice{};
    if (method == LagMethod::Constant) return LagChoice{window.fallback, window.fallback, true};
    if (window.min == 0 && window.max == 0) return LagChoice{};
    // Lags of a block's length or more have no pairs and cannot win.
    const int reach = w.count - 1;
    const int first = std::max(window.min, -reach);
    const int last = std::min(window.max, reach);
    int best = 0;
    double largest = 0.0;
    ForEachLag(w, gas, first, last, [&](int lag, double covariance) {
        if (std::fabs(covariance) > largest) {
            largest = std::fabs(covariance);
            best = lag;
        }
    });
    if (method == LagMethod::MaxCovDefault && (best == window.min || best == window.max)) {
        return LagChoice{window.fallback, best, true};
    }
    return LagChoice{best, best, false};
}

}  // namespace kelvara
