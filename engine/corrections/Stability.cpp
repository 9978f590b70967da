#include "corrections/Stability.h"

#include <cmath>
#include <limits>

namespace kelvara {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Virtual temperature's coefficient of specific humidity.
constexpr double kVirtual = 0.61;

double PotentialFactor(double pressurePa) { return std::pow(1e5 / pressurePa, 0.286); }

double Finite(double value) { return std::isfinite(value) ? value : kNaN; }

}  // namespace

double SpectralStability(const SiteSettings& site, double meanSonicCelsius, double pressurePa, double ustar,
                         double wTs) {
    if (wTs == 0.0 || ustar == 0.0) return kNaN;
    double temperature = meanSonicCelsius + standard::kKelvin;
    if (site.obukhovTemperature == ObukhovTemperature::Potential) temperature *= PotentialFactor(pressurePa);
    const double L = -temperature * (ustar * ustar * ustar) / (site.vonKarman * kGravity * wTs);
    return Finite(site.AerodynamicHeight() / L);
}

Stability ComputeStability(const SiteSettings& site, double ustar, double H, double E, const AirState& air,
                           double pressurePa) {
    const AirTerms terms = ComputeAirTerms(air);
    const double rhoCp = air.rho * terms.cp;
    const double wT = H / rhoCp;
    const bool buoyancy = site.obukhovFlux == ObukhovFlux::Buoyancy;
    const double flux = buoyancy ? wT * (1.0 + kVirtual * terms.q) + kVirtual * air.T * E / air.rho : wT;
    double theta = air.T;
    if (site.obukhovTemperature == ObukhovTemperature::Potential) {
        theta = air.T * PotentialFactor(pressurePa);
    } else if (buoyancy) {
        theta = air.T * (1.0 + kVirtual * terms.q);
    }
    Stability stability{kNaN, kNaN, kNaN};
    if (flux != 0.0) {
        stability.L = -theta * (ustar * ustar * ustar) / (site.vonKarman * kGravity * flux);
        stability.zL = Finite(site.AerodynamicHeight() / stability.L);
    }
    if (ustar != 0.0) stability.tstar = -H / (rhoCp * ustar);
    return stability;
}

}  // namespace kelvara
