#include "corrections/CorrectedFluxes.h"

#include <cmath>

#include "corrections/BlockSeries.h"
#include "corrections/QualityFlags.h"
#include "corrections/RandomError.h"
#include "corrections/SpectralFactors.h"
#include "corrections/Stability.h"
#include "corrections/SteadyState.h"
#include "corrections/TimeLag.h"
#include "corrections/Turbulence.h"
#include "corrections/WindDirection.h"
#include "pipeline/FrameRotation.h"
#include "pipeline/StandardFluxes.h"

namespace kelvara {

using namespace standard;

namespace {

constexpr double kHalfHourSeconds = 1800.0;

// What the block's means and rotation give every later step.
struct BlockState {
    BlockMoments moments;
    FrameRotation frame;
    AirState air;
    AirTerms terms;
    double pressurePa;
};

struct GasSeries {
    Gas gas;
    int measured;
    int shifted;
    int presence;
    Variable variable;
};

constexpr GasSeries kCO2Series{Gas::CO2, kSeriesCO2, kSeriesCO2Shifted, 1, kCO2};
constexpr GasSeries kH2OSeries{Gas::H2O, kSeriesH2O, kSeriesH2OShifted, 2, kH2O};

// The time lag of one gas: the lag, the shifted series, and the gas's
// covariances with the sonic's own u, v, w in moments (which stay the
// standard methods' own when the lag is 0).
GasLag ApplyLag(const GasSeries& gas, const FluxSettings& settings, const StandardBlock& block,
                CorrectionWorkspace& workspace, BlockMoments& moments) {
    const LagWindow window = ResolveLagWindow(settings.site, gas.gas, settings.fs);
    const LagChoice choice =
        ChooseLag(workspace.series[kSeriesWr], workspace.series[gas.measured], window, settings.site.lagMethod);
    ShiftSeries(workspace, gas.measured, gas.shifted, gas.presence, choice.used);
    if (choice.used != 0) {
        PrepareMeasuredWind(block, moments, workspace);
        for (int axis = 0; axis < 3; ++axis) {
            moments.cov[axis][gas.variable] =
                LaggedCovariance(workspace.series[kSeriesU + axis], workspace.series[gas.shifted], 0).covariance;
        }
    }
    return GasLag{choice.used, choice.found, choice.usedDefault, choice.used / settings.fs, choice.found / settings.fs};
}

// The corrected fluxes, with the water vapour flux (kg m-2 s-1) that
// the stability needs.
struct Fluxes {
    double tau, H, LE, FC, ustar, E;
};

RotatedMoments Scaled(RotatedMoments moments, const SpectralFactors& factors) {
    moments.cov[0][2] *= factors.tau;
    moments.cov[1][2] *= factors.tau;
    moments.wTs *= factors.heat;
    moments.wCO2 *= factors.gas;
    moments.wH2O *= factors.gas;
    return moments;
}

// Each covariance corrected by its own factor, then the standard formulas.
Fluxes CorrectCovariances(const RotatedMoments& rotated, const SpectralFactors& factors, const BlockState& state) {
    const StandardFluxValues v =
        ComputeStandardFluxValues(Scaled(rotated, factors), state.moments.mean[kCO2], state.air);
    return Fluxes{v.tau, v.H, v.LE, v.Fc, v.ustar, v.E};
}

// The other processor's sequence: the sonic's heat flux freed of humidity,
// then corrected, and the density terms from the corrected fluxes.
Fluxes CorrectAsPeer(const RotatedMoments& rotated, const SpectralFactors& factors, const BlockState& state) {
    const Fluxes momentum = CorrectCovariances(rotated, factors, state);
    const AirState& air = state.air;
    const double rhoCp = air.rho * state.terms.cp;
    const double sonicT = state.moments.mean[kTs] + kKelvin;
    const double meanCO2 = state.moments.mean[kCO2];
    const double A = state.terms.A;

    const double H1 = rhoCp * rotated.wTs;
    const double E0 = rotated.wH2O / 1000.0;
    const double H2 =
        H1 - rhoCp * kSonicVapourCoefficient * sonicT * E0 / air.rho - kSonicVapourCoefficient * state.terms.q * H1;
    const double H3 = factors.heat * H2;
    const double E3 = A * factors.gas * E0 + A * H3 * air.rho_v / (rhoCp * air.T);
    const double FC = (factors.gas * rotated.wCO2 + kMolarMassRatio * E3 * meanCO2 / (A * air.rho_d) +
                       H3 * meanCO2 / (rhoCp * air.T)) *
                      kUmolPerMgCO2;
    return Fluxes{momentum.tau, H3, state.terms.lambda * E3, FC, momentum.ustar, E3};
}

// The flags from the two tests, and the coverage rule.
void SetFlags(const SteadyStateResult& steady, const TurbulenceTest& turbulence, const FluxSettings& settings,
              CorrectedFluxes& r) {
    r.tauSS = TruncatedPercent(steady.tau);
    r.HSS = TruncatedPercent(steady.H);
    r.LESS = TruncatedPercent(steady.LE);
    r.FCSS = TruncatedPercent(steady.FC);
    r.uITC = TruncatedPercent(turbulence.u);
    r.wITC = TruncatedPercent(turbulence.w);
    r.tsITC = TruncatedPercent(turbulence.ts);
    const std::optional<int> wClass = ClassOf(r.wITC);
    r.tauFlag = QualityFlag(ClassOf(r.tauSS), WorseClass(ClassOf(r.uITC), wClass));
    r.HFlag = QualityFlag(ClassOf(r.HSS), wClass);
    r.LEFlag = QualityFlag(ClassOf(r.LESS), wClass);
    r.FCFlag = QualityFlag(ClassOf(r.FCSS), wClass);
    r.coverage = 100.0 * r.N / (settings.fs * kHalfHourSeconds);
    if (r.coverage < settings.site.minCoverage) r.tauFlag = r.HFlag = r.LEFlag = r.FCFlag = 2;
}

// The random errors of the four fluxes, in flux units of the uncorrected covariances.
void SetRandomErrors(const BlockState& state, const RotatedMoments& rotated, const FluxSettings& settings,
                     CorrectionWorkspace& workspace, CorrectedFluxes& r) {
    const RandomErrorSettings random{settings.fs, settings.site.ruMaxLagSeconds, settings.site.AerodynamicHeight(),
                                     rotated.mean[0]};
    LagCache ww{workspace.Gamma(0)};
    double* scratch = workspace.Gamma(1);
    const Series& w = workspace.series[kSeriesWr];
    const auto error = [&](int x) { return CovarianceRandomError(w, workspace.series[x], random, ww, scratch); };
    r.tauRandom = state.air.rho * error(kSeriesUr);
    r.HRandom = state.air.rho * state.terms.cp * error(kSeriesTs);
    r.LERandom = state.terms.lambda / 1000.0 * error(kSeriesH2OShifted);
    r.FCRandom = kUmolPerMgCO2 * error(kSeriesCO2Shifted);
}

}  // namespace

bool ComputeCorrectedFluxes(const StandardBlock& block, const RotationSettings& rotation, const FluxSettings& settings,
                            CorrectionWorkspace& workspace, CorrectedFluxes& result) {
    if (!workspace.Fit(block.count)) return false;
    const SiteSettings& site = settings.site;
    BlockState state;
    state.moments = ComputeBlockMoments(block);
    state.frame = StandardRotation(state.moments, rotation);
    state.air = ComputeAirState(state.moments);
    state.terms = ComputeAirTerms(state.air);
    state.pressurePa = 1000.0 * state.moments.mean[kP];
    const double meanTs = state.moments.mean[kTs];

    // The rotation, of the moments and of the records.
    PrepareBlockSeries(block, state.moments, state.frame, workspace);
    CorrectedFluxes r;
    r.N = state.moments.count;

    // Time lags; the fluxes before the spectral correction.
    BlockMoments lagged = state.moments;
    r.co2Lag = ApplyLag(kCO2Series, settings, block, workspace, lagged);
    r.h2oLag = ApplyLag(kH2OSeries, settings, block, workspace, lagged);
    const RotatedMoments rotated = RotateMoments(lagged, state.frame);
    const StandardFluxValues uncorrected = ComputeStandardFluxValues(rotated, state.moments.mean[kCO2], state.air);
    r.tauStd = uncorrected.tau;
    r.HStd = uncorrected.H;
    r.LEStd = uncorrected.LE;
    r.FCStd = uncorrected.Fc;
    r.ustarStd = uncorrected.ustar;

    // Steady state.
    const auto& series = workspace.series;
    const SteadyStateResult steady =
        SteadyStateTest({&series[kSeriesUr], &series[kSeriesVr], &series[kSeriesWr], &series[kSeriesTs],
                         &series[kSeriesCO2Shifted], &series[kSeriesH2OShifted]});

    // Spectral factors from the uncorrected stability.
    r.zLSpectral = SpectralStability(site, meanTs, state.pressurePa, uncorrected.ustar, rotated.wTs);
    const double* mean = rotated.mean;
    r.windSpeed = std::sqrt(mean[0] * mean[0] + mean[1] * mean[1] + mean[2] * mean[2]);
    const SpectralFactors factors = ComputeSpectralFactors(site, r.windSpeed, r.zLSpectral);
    r.tauFactor = factors.tau;
    r.HFactor = factors.heat;
    r.LEFactor = r.FCFactor = factors.gas;

    // Corrected fluxes.
    const Fluxes fluxes = site.correctionOrder == CorrectionOrder::Peer ? CorrectAsPeer(rotated, factors, state)
                                                                        : CorrectCovariances(rotated, factors, state);
    r.tau = fluxes.tau;
    r.H = fluxes.H;
    r.LE = fluxes.LE;
    r.FC = fluxes.FC;
    r.ustar = fluxes.ustar;

    // Stability and wind.
    const Stability stability = ComputeStability(site, fluxes.ustar, fluxes.H, fluxes.E, state.air, state.pressurePa);
    r.obukhovLength = stability.L;
    r.zL = stability.zL;
    r.tstar = stability.tstar;
    r.windDirection =
        WindDirection(block, workspace.Present(kBlockPresence), state.moments.mean[kU], state.moments.mean[kV], site);
    r.sigmaU = std::sqrt(rotated.cov[0][0]);
    r.sigmaW = std::sqrt(rotated.cov[2][2]);
    r.sigmaTs = std::sqrt(LaggedCovariance(series[kSeriesTs], series[kSeriesTs], 0).covariance);

    // Turbulence test and flags.
    const TurbulenceTest turbulence =
        ComputeTurbulenceTest({r.zL, r.ustar, r.tstar, r.sigmaU, r.sigmaW, r.sigmaTs, site.latitude});
    SetFlags(steady, turbulence, settings, r);

    // Random errors.
    SetRandomErrors(state, rotated, settings, workspace, r);

    r.airTemperature = state.air.T - kKelvin;
    r.pressure = state.moments.mean[kP];
    r.sonicTemperature = meanTs;
    result = r;
    return true;
}

}  // namespace kelvara
