#include "pipeline/Fluxes.h"

#include <cmath>
#include <cstdint>

#include "pipeline/GoodRecords.h"
#include "pipeline/PhysicalConstants.h"
#include "pipeline/Precision.h"
#include "pipeline/VariableLanes.h"

namespace kelvara {

using namespace constants;

namespace {

struct Covariances {
    float vw, wTc, uw, wCO2, wH2O;
};

// The running sums of the products with w, in record order, each stored as
// a float at every step, and the good records' count.
struct ProductSums {
    float vw = 0.0f, wTc = 0.0f, uw = 0.0f, wCO2 = 0.0f, wH2O = 0.0f;
    int good = 0;
};

#if KELVARA_VARIABLE_LANES

// Two sums a register, in double as the sums are computed: (vw, wTc),
// (uw, wCO2) and (wH2O, nothing). A record that is not good adds +0, which
// changes no sum (one that starts at +0 is never -0).
struct ProductLanes {
    __m128d vwAndWTc, uwAndWCO2, wH2O;
};

inline __m128d AddProduct(__m128d sum, __m128d dw, __m128d other, __m128d mask) {
    const __m128d product = _mm_and_pd(_mm_mul_pd(other, dw), mask);
    return _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(sum, product)));
}

void AddGoodRecords(const BlockBuffer& block, int first, int count, const std::uint8_t* good, ProductSums& sums) {
    const float* const columns[8] = {block.sample[kU],   block.sample[kV],  block.sample[kW], block.sample[kCO2],
                                     block.sample[kH2O], block.sample[kTs], block.sample[kP], block.Tc};
    // The means in the lanes of the deviations: (U, V), (W, CO2), (H2O, Ts)
    // and (P, Tc); Ts and P take part in no product.
    const __m128d meanUV = _mm_setr_pd(block.mean[kU], block.mean[kV]);
    const __m128d meanWCO2 = _mm_setr_pd(block.mean[kW], block.mean[kCO2]);
    const __m128d meanH2O = _mm_setr_pd(block.mean[kH2O], 0.0);
    const __m128d meanTc = _mm_setr_pd(0.0, block.meanTc);
    ProductLanes lanes{_mm_setr_pd(sums.vw, sums.wTc), _mm_setr_pd(sums.uw, sums.wCO2), _mm_setr_pd(sums.wH2O, 0.0)};
    lanes::ForEachRow(columns, first, count, good, [&](const lanes::Row& x, __m128 mask32) {
        const __m128d mask = _mm_castps_pd(mask32);  // the same in every lane
        const __m128d dUV = _mm_sub_pd(_mm_cvtps_pd(x.low), meanUV);
        const __m128d dWCO2 = _mm_sub_pd(_mm_cvtps_pd(_mm_movehl_ps(x.low, x.low)), meanWCO2);
        const __m128d dH2O = _mm_sub_pd(_mm_cvtps_pd(x.high), meanH2O);
        const __m128d dTc = _mm_sub_pd(_mm_cvtps_pd(_mm_movehl_ps(x.high, x.high)), meanTc);
        const __m128d dw = _mm_unpacklo_pd(dWCO2, dWCO2);
        lanes.vwAndWTc = AddProduct(lanes.vwAndWTc, dw, _mm_shuffle_pd(dUV, dTc, 3), mask);
        lanes.uwAndWCO2 = AddProduct(lanes.uwAndWCO2, dw, _mm_shuffle_pd(dUV, dWCO2, 2), mask);
        lanes.wH2O = AddProduct(lanes.wH2O, dw, dH2O, mask);
    });
    sums.vw = static_cast<float>(_mm_cvtsd_f64(lanes.vwAndWTc));
    sums.wTc = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(lanes.vwAndWTc, lanes.vwAndWTc)));
    sums.uw = static_cast<float>(_mm_cvtsd_f64(lanes.uwAndWCO2));
    sums.wCO2 = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(lanes.uwAndWCO2, lanes.uwAndWCO2)));
    sums.wH2O = static_cast<float>(_mm_cvtsd_f64(lanes.wH2O));
    for (int k = 0; k < count; ++k) sums.good += good[k];
}

#else

void AddGoodRecords(const BlockBuffer& block, int first, int count, const std::uint8_t* good, ProductSums& sums) {
    const double mU = block.mean[kU], mV = block.mean[kV], mW = block.mean[kW];
    const double mCO2 = block.mean[kCO2], mH2O = block.mean[kH2O], mTc = block.meanTc;
    for (int k = 0; k < count; ++k) {
        if (good[k] == 0) continue;
        const int i = first + k;
        const double du = block.sample[kU][i] - mU;
        const double dv = block.sample[kV][i] - mV;
        const double dw = block.sample[kW][i] - mW;
        const double dCO2 = block.sample[kCO2][i] - mCO2;
        const double dH2O = block.sample[kH2O][i] - mH2O;
        const double dTc = block.Tc[i] - mTc;
        sums.vw = Store(static_cast<double>(sums.vw) + dv * dw);
        sums.wTc = Store(static_cast<double>(sums.wTc) + dw * dTc);
        sums.uw = Store(static_cast<double>(sums.uw) + du * dw);
        sums.wCO2 = Store(static_cast<double>(sums.wCO2) + dw * dCO2);
        sums.wH2O = Store(static_cast<double>(sums.wH2O) + dw * dH2O);
        ++sums.good;
    }
}

#endif

Covariances ComputeCovariances(const BlockBuffer& block) {
    ProductSums sums;
    ForEachStretch(block, [&](int first, int count, const std::uint8_t* good) {
        AddGoodRecords(block, first, count, good, sums);
    });
    const double n = sums.good;
    return Covariances{Store(static_cast<double>(sums.vw) / n), Store(static_cast<double>(sums.wTc) / n),
                       Store(static_cast<double>(sums.uw) / n), Store(static_cast<double>(sums.wCO2) / n),
                       Store(static_cast<double>(sums.wH2O) / n)};
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
    result.LE_leuning = Store((1.0 + static_cast<double>(block.air.chi_v)) *
                              (static_cast<double>(cov.wTc) * mH2O / mTc + static_cast<double>(latent)));
    // The divisor holds the specific heat of air, as it always has.
    result.co2wplLE =
        Store(static_cast<double>(result.LE_leuning) * mCO2 / (static_cast<double>(block.air.n_a) * mTc * cp) *
              static_cast<double>(kMilliPerUnitSingle) / static_cast<double>(kCO2MolarMassSingle));
    result.co2wplH = Store(static_cast<double>(result.Hs) * mCO2 / (cp * static_cast<double>(block.air.rho_d) * mTc) *
                           static_cast<double>(kMilliPerUnitSingle) / static_cast<double>(kCO2MolarMassSingle));
    result.Fc_leuning = Store(static_cast<double>(cov.wCO2) * kMilliPerUnit / kCO2MolarMass +
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
