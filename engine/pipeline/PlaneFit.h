#pragma once
// The planar-fit plane from half-hour mean winds (Wilczak et al. 2001):
// ordinary least squares of w = b0 + b1 u + b2 v over the blocks that show
// the sonic's tilt, with the statistics that say how well it is determined.

#include <optional>
#include <string>
#include <vector>

#include "pipeline/BlockBuffer.h"

namespace kelvara {

// A block's unrotated mean wind over its good records, each a double sum in
// record order.
struct BlockWind {
    double u = 0.0;
    double v = 0.0;
    double w = 0.0;
    int records = 0;  // good records
};

// Which blocks tell the tilt. Partial blocks at gaps and file ends, calm air
// and gross faults do not.
struct PlaneFitScreen {
    int minRecords = 9000;  // half a 10 Hz half hour
    double uMin = 0.5;      // m s-1, horizontal speed
    double wMax = 1.0;      // m s-1, |mean w|
};

// The block's mean wind (Despike must have kept at least one record).
BlockWind MeanWindOfGoodRecords(const BlockBuffer& block);

// Why the screen leaves the block out, or nothing when it is kept.
std::optional<std::string> ExclusionOf(const BlockWind& wind, const PlaneFitScreen& screen);

// The 45-degree sector (0 to 7) of the direction atan2(v, u) in the sonic's
// axes: sector k holds [45k, 45k + 45) degrees.
int WindSector(double u, double v);

struct PlaneFit {
    bool ok = false;
    std::string refusal;  // why the plane is undetermined, and what would help
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    double se_b0 = 0.0, se_b1 = 0.0, se_b2 = 0.0;
    double alphaDegrees = 0.0, betaDegrees = 0.0;
    std::optional<double> r2;  // none when every block has the same w
    double rmsResidual = 0.0;
    double maxAbsResidual = 0.0;
    std::vector<int> sectors;  // sorted, of the blocks used
    int blocksUsed = 0;
};

inline constexpr int kMinimumPlaneFitBlocks = 6;
inline constexpr int kMinimumPlaneFitSectors = 3;

// Refused with fewer than 6 blocks, winds that do not span two directions,
// or winds from fewer than 3 sectors.
PlaneFit FitPlane(const std::vector<BlockWind>& kept);

}  // namespace kelvara
