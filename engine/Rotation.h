#pragma once
// Rotation of the wind into a flow-following frame.

#include "BlockBuffer.h"

namespace kelvara {

// Angles from the block means of U, V, W (ComputeMeans must have run).
void RotateTwoAxis(BlockBuffer& block, int n);

// Tilt from the plane w = b0 + b1 u + b2 v, then each record's own yaw.
void RotatePlanarFit(BlockBuffer& block, int n, float b0, float b1, float b2);

}  // namespace kelvara
