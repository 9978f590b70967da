#include "pipeline/AirProperties.h"

#include <cstdint>

#include "pipeline/GoodRecords.h"
#include "pipeline/PhysicalConstants.h"
#include "pipeline/Precision.h"
#include "pipeline/WideVectors.h"

namespace kelvara {

using namespace constants;

namespace {

constexpr int kChunk = kGoodStretch;

// The air properties of the records of one chunk, each stored as a float
// in turn. One record's values depend on no other record's, so this pass
// runs on every record alike, good or not, and compiles to SIMD code; the
// sums over the good records follow in record order.
struct ChunkProperties {
    float tc[kChunk];
    float n_a[kChunk];
    float chi_v[kChunk];
    float rho_d[kChunk];
    float rho[kChunk];
};

KELVARA_WIDE_VECTORS void ComputeChunk(const BlockBuffer& block, int first, int count, ChunkProperties& out) {
    const float* ts = block.sample[kTs] + first;
    const float* h2oSamples = block.sample[kH2O] + first;
    const float* pSamples = block.sample[kP] + first;
    for (int k = 0; k < count; ++k) {
        const double h2o = h2oSamples[k];
        const double p = pSamples[k];
        const float tk = Store(static_cast<double>(ts[k]) + kKelvinOffset);
        const float a = Store(h2o / kWaterMolarMassKg);
        const float n_a = Store(p / (static_cast<double>(tk) * kGasConstant));
        const double vapour = static_cast<double>(a) / kMilliPerUnit;
        const float r = Store(vapour / (static_cast<double>(n_a) - vapour));
        const float tc = Store(static_cast<double>(tk) / (static_cast<double>(r) * kSonicHumidityCoefficient + 1.0));
        const float e = Store(h2o * kGasConstant * static_cast<double>(tk) / kWaterMolarMassG);
        const float rho_d = Store((p - static_cast<double>(e)) / (static_cast<double>(tk) * kDryAirGasConstant));
        out.tc[k] = tc;
        out.n_a[k] = n_a;
        out.chi_v[k] = Store(static_cast<double>(tc) * kGasConstant * h2o / (p * kWaterMolarMassG));
        out.rho_d[k] = rho_d;
        out.rho[k] = Store(static_cast<double>(rho_d) + h2o / kMilliPerUnit);
    }
}

struct AirSums {
    float n_a = 0.0f;
    float chi_v = 0.0f;
    float rho_d = 0.0f;
    float rho = 0.0f;
    int good = 0;
};

// Tc is kept in the buffer for the covariances, of the good records only.
void AddGoodRecords(BlockBuffer& block, int first, int count, const std::uint8_t* good, const ChunkProperties& chunk,
                    AirSums& sums) {
    for (int k = 0; k < count; ++k) {
        if (good[k] == 0) continue;
        block.Tc[first + k] = chunk.tc[k];
        sums.n_a = Store(AddTo(sums.n_a, chunk.n_a[k]));
        sums.chi_v = Store(AddTo(sums.chi_v, chunk.chi_v[k]));
        sums.rho_d = Store(AddTo(sums.rho_d, chunk.rho_d[k]));
        sums.rho = Store(AddTo(sums.rho, chunk.rho[k]));
        ++sums.good;
    }
}

}  // namespace

void ComputeAirProperties(BlockBuffer& block) {
    AirSums sums;
    ChunkProperties chunk;
    ForEachStretch(block, [&](int first, int count, const std::uint8_t* good) {
        ComputeChunk(block, first, count, chunk);
        AddGoodRecords(block, first, count, good, chunk, sums);
    });
    block.air.n_a = Store(static_cast<double>(sums.n_a) / sums.good);
    block.air.chi_v = Store(static_cast<double>(sums.chi_v) / sums.good);
    block.air.rho_d = Store(static_cast<double>(sums.rho_d) / sums.good);
    block.air.rho = Store(static_cast<double>(sums.rho) / sums.good);
}

}  // namespace kelvara
