#include "corrections/Turbulence.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace kelvara {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kEarthRotation = 2.0 * std::numbers::pi / 86400.0;  // Omega, s-1
constexpr double kReferenceHeight = 1.0;                             // z+, m

double SigmaWModel(double zL, double coriolisTerm) {
    return zL < -0.2 ? 1.3 * std::pow(1.0 - 2.0 * zL, 1.0 / 3.0) : 0.21 * coriolisTerm + 3.1;
}

double SigmaUModel(double zL, double coriolisTerm) {
    return zL < -0.2 ? 4.15 * std::pow(std::fabs(zL), 1.0 / 8.0) : 0.44 * coriolisTerm + 6.3;
}

double SigmaTsModel(double zL) {
    const double size = std::fabs(zL);
    if (zL < -1.0) return std::pow(size, -1.0 / 3.0);
    if (zL < -0.0625) return std::pow(size, -1.0 / 4.0);
    if (zL < 0.02) return 0.5 * std::pow(size, -1.0 / 2.0);
    return 1.4 * std::pow(size, -1.0 / 4.0);
}

// |model - measured| / model in percent; NaN for anything undefined.
double Deviation(double model, double measured) {
    const double percent = std::fabs((model - measured) / model) * 100.0;
    return std::isfinite(percent) ? percent : kNaN;
}

}  // namespace

TurbulenceTest ComputeTurbulenceTest(const TurbulenceInputs& in) {
    if (std::isnan(in.zL)) return {kNaN, kNaN, kNaN};
    const double coriolis = std::fabs(2.0 * kEarthRotation * std::sin(in.latitude * std::numbers::pi / 180.0));
    const double coriolisTerm = std::log(kReferenceHeight * coriolis / in.ustar);
    TurbulenceTest test;
    test.u = Deviation(SigmaUModel(in.zL, coriolisTerm), in.sigmaU / in.ustar);
    test.w = Deviation(SigmaWModel(in.zL, coriolisTerm), in.sigmaW / in.ustar);
    test.ts = Deviation(SigmaTsModel(in.zL), in.sigmaTs / std::fabs(in.tstar));
    return test;
}

}  // namespace kelvara
