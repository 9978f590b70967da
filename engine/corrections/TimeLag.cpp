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
    for (int lag = first; lag <= last; ++lag) {
        const double size = std::fabs(SignedLaggedCovariance(w, gas, lag).covariance);
        if (size > largest) {
            largest = size;
            best = lag;
        }
    }
    if (method == LagMethod::MaxCovDefault && (best == window.min || best == window.max)) {
        return LagChoice{window.fallback, best, true};
    }
    return LagChoice{best, best, false};
}

}  // namespace kelvara
