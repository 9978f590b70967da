#include "corrections/WindDirection.h"

#include <cmath>
#include <numbers>

namespace kelvara {

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

double Wrapped(double degrees) {
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0) wrapped += 360.0;
    // A tiny negative angle plus 360 rounds to 360 itself.
    return wrapped >= 360.0 ? 0.0 : wrapped;
}

}  // namespace

double DirectionOfWind(double u, double v, const SiteSettings& site) {
    const double azimuth = site.sonicAzimuth + site.declination;
    const double angle = std::atan2(v, u) * kDegreesPerRadian;
    return Wrapped(site.uPositive == UPositive::From ? azimuth - angle : azimuth + 180.0 - angle);
}

double WindDirection(const StandardBlock& block, const std::uint8_t* present, double meanU, double meanV,
                     const SiteSettings& site) {
    if (site.windDirection == WindDirectionMean::Vector) return DirectionOfWind(meanU, meanV, site);
    double east = 0.0, north = 0.0;  // sums of cos and sin of the records' angles
    for (int i = 0; i < block.count; ++i) {
        if (present[i] == 0) continue;
        const double u = block.sample[kU][i];
        const double v = block.sample[kV][i];
        const double speed = std::sqrt(u * u + v * v);
        if (speed > 0.0) {
            east += u / speed;
            north += v / speed;
        } else {
            // atan2 gives a calm record a direction too (by the signs of its zeros).
            const double angle = std::atan2(v, u);
            east += std::cos(angle);
            north += std::sin(angle);
        }
    }
    return DirectionOfWind(east, north, site);
}

}  // namespace kelvara
