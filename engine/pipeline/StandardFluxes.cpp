#include "pipeline/StandardFluxes.h"

#include <cmath>

#include "pipeline/FrameRotation.h"
#include "pipeline/Precision.h"

namespace kelvara {

namespace {

// SI constants of the standard methods; the default mode keeps its own.
constexpr double kGasConstant = 8.31446;        // J mol-1 K-1
constexpr double kDryAirMolarMass = 0.0289645;  // kg mol-1
constexpr double kVapourMolarMass = 0.01801528;
constexpr double kDryAirGasConstant = kGasConstant / kDryAirMolarMass;
constexpr double kVapourGasConstant = kGasConstant / kVapourMolarMass;
constexpr double kMolarMassRatio = kDryAirMolarMass / kVapourMolarMass;  // mu
constexpr double kKelvin = 273.15;
constexpr double kDryAirSpecificHeat = 1004.67;  // J kg-1 K-1
constexpr double kSonicVapourCoefficient = 0.51;
constexpr double kUmolPerMgCO2 = 1000.0 / 44.0095;
constexpr int kTemperaturePasses = 3;

}  // namespace

AirState ComputeAirState(const BlockMoments& moments) {
    const double p = 1000.0 * moments.mean[kP];       // kPa -> Pa
    const double rhoV = moments.mean[kH2O] / 1000.0;  // g m-3 -> kg m-3
    const double sonicT = moments.mean[kTs] + kKelvin;
    double T = sonicT;
    for (int pass = 0; pass < kTemperaturePasses; ++pass) {
        const double e = rhoV * kVapourGasConstant * T;
        const double rhoD = (p - e) / (kDryAirGasConstant * T);
        const double rho = rhoD + rhoV;
        T = sonicT / (1.0 + kSonicVapourCoefficient * rhoV / rho);
    }
    const double e = rhoV * kVapourGasConstant * T;
    const double rhoD = (p - e) / (kDryAirGasConstant * T);
    return AirState{T, rhoV, rhoD, rhoD + rhoV};
}

StandardResult ComputeStandardFluxes(const StandardBlock& block, const RotationSettings& rotation) {
    const BlockMoments moments = ComputeBlockMoments(block);
    const RotatedMoments rotated = RotateMoments(moments, StandardRotation(moments, rotation));
    const AirState air = ComputeAirState(moments);
    const double T = air.T, rhoV = air.rho_v, rhoD = air.rho_d, rho = air.rho;

    const double q = rhoV / rho;
    const double sigma = rhoV / rhoD;
    const double A = 1.0 + kMolarMassRatio * sigma;
    const double cp = kDryAirSpecificHeat * (1.0 + 0.84 * q);
    const double ratio = T / (T - 33.91);
    const double lambda = 1.91846e6 * (ratio * ratio);

    const double uw = rotated.cov[0][2];
    const double vw = rotated.cov[1][2];
    const double s = std::sqrt(uw * uw + vw * vw);
    const double Q = rotated.wH2O / 1000.0;
    const double X = rotated.wTs;
    const double C = rotated.wCO2;
    // Schotanus et al. (1983) with the Webb vapour flux, solved for w'T'.
    const double wT =
        (X - kSonicVapourCoefficient * T * A * Q / rho) / (1.0 + kSonicVapourCoefficient * A * rhoV / rho);
    const double E = A * (Q + rhoV * wT / T);
    const double meanCO2 = moments.mean[kCO2];
    // Webb, Pearman & Leuning (1980), eqs. 24-25.
    const double wplE = kMolarMassRatio * (meanCO2 / rhoD) * Q * kUmolPerMgCO2;
    const double wplT = A * (meanCO2 / T) * wT * kUmolPerMgCO2;

    StandardResult result;
    result.ustar = Store(std::sqrt(s));
    result.tau = Store(rho * s);
    result.ave_CO2 = Store(meanCO2);
    result.ave_H2O = Store(moments.mean[kH2O]);
    result.ave_P = Store(moments.mean[kP]);
    result.ave_Ts = Store(moments.mean[kTs]);
    result.ave_Ta = Store(T - kKelvin);
    result.ave_U = Store(rotated.mean[0]);
    result.ave_V = Store(rotated.mean[1]);
    result.ave_W = Store(rotated.mean[2]);
    result.H = Store(rho * cp * wT);
    result.Fc_wplE = Store(wplE);
    result.Fc_wplT = Store(wplT);
    result.LE = Store(lambda * E);
    result.Fc = Store(C * kUmolPerMgCO2 + wplE + wplT);
    result.Records = moments.count;
    return result;
}

}  // namespace kelvara
