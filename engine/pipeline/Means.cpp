#include "pipeline/Means.h"

#include <cstdint>

#include "pipeline/GoodRecords.h"
#include "pipeline/Precision.h"
#include "pipeline/VariableLanes.h"

namespace kelvara {

namespace {

// The running sums of the seven variables and of Tc over the good records,
// in record order: float sums, Store(AddTo(sum, x)).
struct MeanSums {
    float sum[8] = {};  // the seven variables, then Tc
    int good = 0;
};

#if KELVARA_VARIABLE_LANES

// One lane a series. A double has more than twice a float's digits, so the
// double sum rounded to float is the float sum the lanes add; a record
// that is not good adds +0, which changes no sum (one that starts at +0 is
// never -0).
void AddGoodRecords(const BlockBuffer& block, int first, int count, const std::uint8_t* good, MeanSums& sums) {
    const float* const columns[8] = {block.sample[kU],   block.sample[kV],  block.sample[kW], block.sample[kCO2],
                                     block.sample[kH2O], block.sample[kTs], block.sample[kP], block.Tc};
    lanes::Row sum = lanes::LoadLanes(sums.sum);
    lanes::ForEachRow(columns, first, count, good, [&sum](const lanes::Row& x, __m128 mask) {
        sum.low = _mm_add_ps(sum.low, _mm_and_ps(mask, x.low));
        sum.high = _mm_add_ps(sum.high, _mm_and_ps(mask, x.high));
    });
    lanes::StoreLanes(sum, sums.sum);
    for (int k = 0; k < count; ++k) sums.good += good[k];
}

#else

void AddGoodRecords(const BlockBuffer& block, int first, int count, const std::uint8_t* good, MeanSums& sums) {
    for (int k = 0; k < count; ++k) {
        if (good[k] == 0) continue;
        const int i = first + k;
        for (int v = 0; v < kVariableCount; ++v) sums.sum[v] = Store(AddTo(sums.sum[v], block.sample[v][i]));
        sums.sum[kVariableCount] = Store(AddTo(sums.sum[kVariableCount], block.Tc[i]));
        ++sums.good;
    }
}

#endif

}  // namespace

void ComputeMeans(BlockBuffer& block) {
    MeanSums sums;
    ForEachStretch(block, [&](int first, int count, const std::uint8_t* good) {
        AddGoodRecords(block, first, count, good, sums);
    });
    for (int v = 0; v < kVariableCount; ++v) block.mean[v] = Store(static_cast<double>(sums.sum[v]) / sums.good);
    block.meanTc = Store(static_cast<double>(sums.sum[kVariableCount]) / sums.good);
}

}  // namespace kelvara
