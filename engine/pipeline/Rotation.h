#pragma once
// Rotation of the wind into a flow-following frame.

#include "pipeline/BlockBuffer.h"

namespace kelvara {

// How a block's wind is turned before the fluxes are computed.
enum class Rotation { TwoAxis, PlanarFit };

// The plane w = b0 + b1 u + b2 v of the planar fit.
struct PlaneCoefficients {
    float b0 = 0.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
};

// The rotation a job applies to every block.
struct RotationSettings {
    Rotation rotation = Rotation::TwoAxis;
    PlaneCoefficients plane;  // used by the planar fit only
};

// Angles from the block means of U, V, W (ComputeMeans must have run).
void RotateTwoAxis(BlockBuffer& block);

// Tilt from the plane, then each record's own yaw.
void RotatePlanarFit(BlockBuffer& block, const PlaneCoefficients& plane);

void Rotate(BlockBuffer& block, const RotationSettings& settings);

}  // namespace kelvara
