#include "pipeline/AirProperties.h"

#include "pipeline/PhysicalConstants.h"
#include "pipeline/Precision.h"

namespace kelvara {

using namespace constants;

namespace {

struct AirSums {
    float n_a = 0.0f;
    float chi_v = 0.0f;
    float rho_d = 0.0f;
    float rho = 0.0f;
    int good = 0;
};

// The air properties of one good record, each stored as a float in turn;
// Tc is kept in the buffer for the covariances.
void AddRecord(BlockBuffer& block, int i, AirSums& sums) {
    const double ts = block.sample[kTs][i];
    const double h2o = block.sample[kH2O][i];
    const double p = block.sample[kP][i];

    const float tk = Store(ts + kKelvinOffset);
    const float a = Store(h2o / kWaterMolarMassKg);
    const float n_a = Store(p / (static_cast<double>(tk) * kGasConstant));
    sums.n_a = Store(AddTo(sums.n_a, n_a));
    const double vapour = static_cast<double>(a) / kThousand;
    const float r = Store(vapour / (static_cast<double>(n_a) - vapour));
    const float tc = Store(static_cast<double>(tk) / (static_cast<double>(r) * kSonicHumidityCoefficient + kOne));
    block.Tc[i] = tc;
    const float chi_v = Store(static_cast<double>(tc) * kGasConstant * h2o / (p * kWaterMolarMassG));
    sums.chi_v = Store(AddTo(sums.chi_v, chi_v));
    const float e = Store(h2o * kGasConstant * static_cast<double>(tk) / kWaterMolarMassG);
    const float rho_d = Store((p - static_cast<double>(e)) / (static_cast<double>(tk) * kDryAirGasConstant));
    sums.rho_d = Store(AddTo(sums.rho_d, rho_d));
    const float rho = Store(static_cast<double>(rho_d) + h2o / kThousand);
    sums.rho = Store(AddTo(sums.rho, rho));
    ++sums.good;
}

}  // namespace

void ComputeAirProperties(BlockBuffer& block) {
    const int n = block.count;
    AirSums sums;
    for (int i = 0; i < n; ++i) {
        if (block.IsGood(i)) AddRecord(block, i, sums);
    }
    block.air.n_a = Store(static_cast<double>(sums.n_a) / sums.good);
    block.air.chi_v = Store(static_cast<double>(sums.chi_v) / sums.good);
    block.air.rho_d = Store(static_cast<double>(sums.rho_d) / sums.good);
    block.air.rho = Store(static_cast<double>(sums.rho) / sums.good);
}

}  // namespace kelvara
