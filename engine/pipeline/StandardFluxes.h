#pragma once
// The fluxes of the standard methods: everything after Despike, from the
// rotated moments and an iterated air state, in double, each result rounded
// to single once.

#include "pipeline/BlockMoments.h"
#include "pipeline/FrameRotation.h"
#include "pipeline/Rotation.h"
#include "pipeline/StandardBlock.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

// Constants of the standard methods (SI); the default mode keeps its own.
namespace standard {
inline constexpr double kGasConstant = 8.31446;        // J mol-1 K-1
inline constexpr double kDryAirMolarMass = 0.0289645;  // kg mol-1
inline constexpr double kVapourMolarMass = 0.01801528;
inline constexpr double kMolarMassRatio = kDryAirMolarMass / kVapourMolarMass;  // mu
inline constexpr double kKelvin = 273.15;
inline constexpr double kDryAirSpecificHeat = 1004.67;  // J kg-1 K-1
inline constexpr double kSonicVapourCoefficient = 0.51;
inline constexpr double kUmolPerMgCO2 = 1000.0 / 44.0095;
}  // namespace standard

// The air of the block's means. T comes from the sonic temperature by three
// passes of the vapour correction, then e and the densities once more.
struct AirState {
    double T;      // air temperature, K
    double rho_v;  // water vapour density, kg m-3
    double rho_d;  // dry air density, kg m-3
    double rho;    // moist air density, kg m-3
};

AirState ComputeAirState(const BlockMoments& moments);

// What the flux formulas derive from the air state.
struct AirTerms {
    double q;       // specific humidity rho_v / rho
    double sigma;   // rho_v / rho_d
    double A;       // 1 + mu sigma
    double cp;      // specific heat of moist air, J kg-1 K-1
    double lambda;  // latent heat of vaporisation, J kg-1
};

AirTerms ComputeAirTerms(const AirState& air);

// The standard methods' values of a block in double, before any rounding.
struct StandardFluxValues {
    double ustar;  // m s-1
    double tau;    // kg m-1 s-2, a magnitude
    double wT;     // kinematic heat flux w'T', K m s-1 (Schotanus)
    double E;      // water vapour flux, kg m-2 s-1 (Webb)
    double H;      // W m-2
    double LE;     // W m-2
    double wplE;   // umol m-2 s-1
    double wplT;
    double Fc;  // umol m-2 s-1
};

// From the rotated moments (u'w', v'w', w'Ts', w'c', w'q'), the mean CO2
// density (mg m-3) and the air state.
StandardFluxValues ComputeStandardFluxValues(const RotatedMoments& rotated, double meanCO2, const AirState& air);

// Despike must have passed the block with at least one good record.
StandardResult ComputeStandardFluxes(const StandardBlock& block, const RotationSettings& rotation);

}  // namespace kelvara
