#pragma once
// The standard methods' rotation of the wind: a matrix and an offset applied
// to the block's moments, never to its records.

#include "pipeline/BlockMoments.h"
#include "pipeline/Rotation.h"

namespace kelvara {

// Rotated wind = R (wind - d).
struct FrameRotation {
    double R[3][3] = {};
    double d[3] = {};
};

// Double rotation: yaw onto the mean wind, then pitch until the mean
// vertical wind is 0, whichever way the wind blows (atan2, not atan).
FrameRotation DoubleRotation(const BlockMoments& moments);

// Planar fit (Wilczak et al. 2001): the tilt of the plane w = b0 + b1 u +
// b2 v, then one yaw per block onto the block's mean wind in the plane.
FrameRotation PlanarFitRotation(const BlockMoments& moments, const PlaneCoefficients& plane);

FrameRotation StandardRotation(const BlockMoments& moments, const RotationSettings& settings);

// The moments in the rotated frame.
struct RotatedMoments {
    double mean[3] = {};    // ave_U, ave_V, ave_W
    double cov[3][3] = {};  // wind covariances
    double wTs = 0.0;       // w'Ts'
    double wCO2 = 0.0;      // w'c'
    double wH2O = 0.0;      // w'q'
};

// Every sum starts from 0 and runs over k, then l, ascending.
RotatedMoments RotateMoments(const BlockMoments& moments, const FrameRotation& rotation);

}  // namespace kelvara
