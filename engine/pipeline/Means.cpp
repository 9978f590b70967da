#include "pipeline/Means.h"

#include "pipeline/Precision.h"

namespace kelvara {

void ComputeMeans(BlockBuffer& block) {
    const int n = block.count;
    float sums[kVariableCount] = {};
    float sumTc = 0.0f;
    int good = 0;
    for (int i = 0; i < n; ++i) {
        if (!block.IsGood(i)) continue;
        for (int v = 0; v < kVariableCount; ++v) sums[v] = Store(AddTo(sums[v], block.sample[v][i]));
        sumTc = Store(AddTo(sumTc, block.Tc[i]));
        ++good;
    }
    for (int v = 0; v < kVariableCount; ++v) block.mean[v] = Store(static_cast<double>(sums[v]) / good);
    block.meanTc = Store(static_cast<double>(sumTc) / good);
}

}  // namespace kelvara
