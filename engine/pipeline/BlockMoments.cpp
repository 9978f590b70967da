#include "pipeline/BlockMoments.h"

namespace kelvara {

BlockMoments ComputeBlockMoments(const StandardBlock& block) {
    BlockMoments moments;
    double sum[kVariableCount] = {};
    int n = 0;
    for (int i = 0; i < block.count; ++i) {
        if (!block.IsGood(i)) continue;
        for (int v = 0; v < kVariableCount; ++v) sum[v] += static_cast<double>(block.sample[v][i]);
        ++n;
    }
    moments.count = n;
    for (int v = 0; v < kVariableCount; ++v) moments.mean[v] = sum[v] / n;

    // Each product sum runs on its own in record order; only the pairs with
    // b >= a are summed, the wind block's lower half is their mirror.
    double products[kWindComponents][kP] = {};
    for (int i = 0; i < block.count; ++i) {
        if (!block.IsGood(i)) continue;
        double deviation[kP];
        for (int v = 0; v < kP; ++v) deviation[v] = static_cast<double>(block.sample[v][i]) - moments.mean[v];
        for (int a = 0; a < kWindComponents; ++a) {
            for (int b = a; b < kP; ++b) products[a][b] += deviation[a] * deviation[b];
        }
    }
    for (int a = 0; a < kWindComponents; ++a) {
        for (int b = a; b < kP; ++b) moments.cov[a][b] = products[a][b] / n;
        for (int b = 0; b < a; ++b) moments.cov[a][b] = moments.cov[b][a];
    }
    return moments;
}

}  // namespace kelvara
