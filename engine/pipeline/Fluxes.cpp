#include "pipeline/Fluxes.h"

#include <cmath>

#include "pipeline/PhysicalConstants.h"
#include "pipeline/Precision.h"

namespace kelvara {

using namespace constants;

namespace {

struct Covariances {
    float vw, wTc, uw, wCO2, wH2O;
};

Covariances ComputeCovariances(const BlockBuffer& block) {
    const int n = block.count;
    const double mU = block.mean[kU], mV = block.mean[kV], mW = block.mean[kW];
    const double mCO2 = block.mean[kCO2], mH2O = block.mean[kH2O], mTc = block.meanTc;
    float vw = 0.0f, wTc = 0.0f, uw = 0.0f, wCO2 = 0.0f, wH2O = 0.0f;
    int good = 0;
    for (int i = 0; i < n; ++i) {
        if (!block.IsGood(i)) continue;
        const double du = block.sample[kU][i] - mU;
        const double dv = block.sample[kV][i] - mV;
        const double dw = block.sample[kW][i] - mW;
        const double dCO2 = block.sample[kCO2][i] - mCO2;
        const double dH2O = block.sample[kH2O][i] - mH2O;
        const double dTc = block.Tc[i] - mTc;
        vw = Store(static_cast<double>(vw) + dv * dw);
        wTc = Store(static_cast<double>(wTc) + dw * dTc);
        uw = Store(static_cast<double>(uw) + du * dw);
        wCO2 = Store(static_cast<double>(wCO2) + dw * dCO2);
        wH2O = Store(static_cast<double>(wH2O) + dw * dH2O);
        ++good;
    }
    return Covariances{Store(static_cast<double>(vw) / good), Store(static_cast<double>(wTc) / good),
                       Store(static_cast<double>(uw) / good), Store(static_cast<double>(wCO2) / good),
                       Store(static_cast<double>(wH2O) / good)};
}

}  // namespace

FluxResult ComputeFluxes(const BlockBuffer& block) {
    const Covariances cov = ComputeCovariances(block);
    const double mRho = block.air.rho;
    const double mTc = block.meanTc;
    const double mCO2 = block.mean[kCO2];
    const double mH2O = block.mean[kH2O];
    const double cp = kSpecificHeatOfAir;

    FluxResult result{};
    const double s = std::sqrt(static_cast<double>(cov.uw) * cov.uw + static_cast<double>(cov.vw) * cov.vw);
    result.ustar = Store(std::sqrt(s));
    result.tau = Store(static_cast<double>(Store(s)) * mRho);

    const float latent = Store(static_cast<double>(cov.wH2O) * static_cast<double>(kLatentHeat));
    result.Hs = Store(static_cast<double>(cov.wTc) * mRho * cp);
    // The first term carries no latent heat factor, as in every results file
    // written so far.
    result.LE_leuning = Store((static_cast<double>(kOneSingle) + static_cast<double>(block.air.chi_v)) *
                              (static_cast<double>(cov.wTc) * mH2O / mTc + static_cast<double>(latent)));
    // The divisor holds the specific heat of air, as it always has.
    result.co2wplLE =
        Store(static_cast<double>(result.LE_leuning) * mCO2 / (static_cast<double>(block.air.n_a) * mTc * cp) *
              static_cast<double>(kThousandSingle) / static_cast<double>(kCO2MolarMassSingle));
    result.co2wplH = Store(static_cast<double>(result.Hs) * mCO2 / (cp * static_cast<double>(block.air.rho_d) * mTc) *
                           static_cast<double>(kThousandSingle) / static_cast<double>(kCO2MolarMassSingle));
    result.Fc_leuning = Store(static_cast<double>(cov.wCO2) * kThousand / kCO2MolarMass +
                              static_cast<double>(result.co2wplLE) + static_cast<double>(result.co2wplH));

    result.ave_CO2 = block.mean[kCO2];
    result.ave_H2O = block.mean[kH2O];
    result.ave_P = block.mean[kP];
    result.ave_Ts = block.mean[kTs];
    result.ave_Tc = Store(mTc - kKelvinOffset);
    result.ave_U = block.mean[kU];
    result.ave_V = block.mean[kV];
    result.ave_W = block.mean[kW];
    result.Records = block.GoodRecordCount();
    return result;
}

}  // namespace kelvara
