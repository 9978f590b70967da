#include "pipeline/StandardFluxes.h"

#include <cmath>

#include "pipeline/Precision.h"

namespace kelvara {

using namespace standard;

namespace {

constexpr double kDryAirGasConstant = kGasConstant / kDryAirMolarMass;
constexpr double kVapourGasConstant = kGasConstant / kVapourMolarMass;
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

AirTerms ComputeAirTerms(const AirState& air) {
    AirTerms terms;
    terms.q = air.rho_v / air.rho;
    terms.sigma = air.rho_v / air.rho_d;
    terms.A = 1.0 + kMolarMassRatio * terms.sigma;
    terms.cp = kDryAirSpecificHeat * (1.0 + 0.84 * terms.q);
    const double ratio = air.T / (air.T - 33.91);
    terms.lambda = 1.91846e6 * (ratio * ratio);
    return terms;
}

StandardFluxValues ComputeStandardFluxValues(const RotatedMoments& rotated, double meanCO2, const AirState& air) {
    const double T = air.T, rhoV = air.rho_v, rhoD = air.rho_d, rho = air.rho;
    const AirTerms terms = ComputeAirTerms(air);
    const double A = terms.A;

    const double uw = rotated.cov[0][2];
    const double vw = rotated.cov[1][2];
    const double s = std::sqrt(uw * uw + vw * vw);
    const double Q = rotated.wH2O / 1000.0;
    const double X = rotated.wTs;
    const double C = rotated.wCO2;
    StandardFluxValues values;
    // Schotanus et al. (1983) with the Webb vapour flux, solved for w'T'.
    values.wT = (X - kSonicVapourCoefficient * T * A * Q / rho) / (1.0 + kSonicVapourCoefficient * A * rhoV / rho);
    values.E = A * (Q + rhoV * values.wT / T);
    // Webb, Pearman & Leuning (1980), eqs. 24-25.
    values.wplE = kMolarMassRatio * (meanCO2 / rhoD) * Q * kUmolPerMgCO2;
    values.wplT = A * (meanCO2 / T) * values.wT * kUmolPerMgCO2;
    values.ustar = std::sqrt(s);
    values.tau = rho * s;
    values.H = rho * terms.cp * values.wT;
    values.LE = terms.lambda * values.E;
    values.Fc = C * kUmolPerMgCO2 + values.wplE + values.wplT;
    return values;
}

StandardResult ComputeStandardFluxes(const StandardBlock& block, const RotationSettings& rotation) {
    const BlockMoments moments = ComputeBlockMoments(block);
    const RotatedMoments rotated = RotateMoments(moments, StandardRotation(moments, rotation));
    const AirState air = ComputeAirState(moments);
    const StandardFluxValues values = ComputeStandardFluxValues(rotated, moments.mean[kCO2], air);

    StandardResult result;
    result.ustar = Store(values.ustar);
    result.tau = Store(values.tau);
    result.ave_CO2 = Store(moments.mean[kCO2]);
    result.ave_H2O = Store(moments.mean[kH2O]);
    result.ave_P = Store(moments.mean[kP]);
    result.ave_Ts = Store(moments.mean[kTs]);
    result.ave_Ta = Store(air.T - kKelvin);
    result.ave_U = Store(rotated.mean[0]);
    result.ave_V = Store(rotated.mean[1]);
    result.ave_W = Store(rotated.mean[2]);
    result.H = Store(values.H);
    result.Fc_wplE = Store(values.wplE);
    result.Fc_wplT = Store(values.wplT);
    result.LE = Store(values.LE);
    result.Fc = Store(values.Fc);
    result.Records = moments.count;
    return result;
}

}  // namespace kelvara
