#include "pipeline/Rotation.h"

#include <cmath>

#include "pipeline/Precision.h"

namespace kelvara {

namespace {

// One-argument arctangent of a quotient, with no quadrant correction. An
// exact 0/0 gives the angle 0 rather than a NaN that would wipe out the
// block; x/0 keeps its IEEE result of +-90 degrees.
float AngleOfQuotient(double numerator, double denominator) {
    if (numerator == 0.0 && denominator == 0.0) return 0.0f;
    return Store(std::atan(numerator / denominator));
}

}  // namespace

void RotateTwoAxis(BlockBuffer& block) {
    const int n = block.count;
    const double mU = block.mean[kU];
    const double mV = block.mean[kV];
    const double mW = block.mean[kW];
    const float h = Store(std::sqrt(mU * mU + mV * mV));
    const float theta = AngleOfQuotient(mW, h);
    const float eta = AngleOfQuotient(mV, mU);
    const double cosTheta = std::cos(static_cast<double>(theta));
    const double sinTheta = std::sin(static_cast<double>(theta));
    const double cosEta = std::cos(static_cast<double>(eta));
    const double sinEta = std::sin(static_cast<double>(eta));

    float* U = block.U();
    float* V = block.V();
    float* W = block.W();
    for (int i = 0; i < n; ++i) {
        const double u = U[i];
        const double v = V[i];
        const double w = W[i];
        U[i] = Store(u * cosTheta * cosEta + v * cosTheta * sinEta + w * sinTheta);
        V[i] = Store(v * cosEta - u * sinEta);
        W[i] = Store(w * cosTheta - u * sinTheta * cosEta - v * sinTheta * sinEta);
    }
}

void RotatePlanarFit(BlockBuffer& block, const PlaneCoefficients& plane) {
    const int n = block.count;
    const float b0 = plane.b0, b1 = plane.b1, b2 = plane.b2;
    const double S = std::sqrt(static_cast<double>(b1) * b1 + static_cast<double>(b2) * b2 + 1.0);
    const float k1 = Store(-static_cast<double>(b1) / S);
    const float k2 = Store(-static_cast<double>(b2) / S);
    const float k3 = Store(1.0 / S);
    const double k23 = std::sqrt(static_cast<double>(k2) * k2 + static_cast<double>(k3) * k3);
    const double sinAlpha = k1;
    const double cosAlpha = Store(k23);
    const double sinBeta = Store(-static_cast<double>(k2) / k23);
    const double cosBeta = Store(static_cast<double>(k3) / k23);
    const double offset = b0;

    float* U = block.U();
    float* V = block.V();
    float* W = block.W();
    for (int i = 0; i < n; ++i) {
        const double u = U[i];
        const double v = V[i];
        const double d = static_cast<double>(W[i]) - offset;
        const float up = Store(u * cosAlpha - d * sinAlpha);
        const float vp = Store(u * sinAlpha * sinBeta + v * cosBeta + d * cosAlpha * sinBeta);
        const float wp = Store(u * sinAlpha * cosBeta - v * sinBeta + d * cosAlpha * cosBeta);
        // Each record turns into its own horizontal wind direction.
        const float gamma = AngleOfQuotient(vp, up);
        const double cosGamma = std::cos(static_cast<double>(gamma));
        const double sinGamma = std::sin(static_cast<double>(gamma));
        U[i] = Store(cosGamma * up + sinGamma * vp);
        V[i] = Store(cosGamma * vp - sinGamma * up);
        W[i] = wp;
    }
}

void Rotate(BlockBuffer& block, const RotationSettings& settings) {
    switch (settings.rotation) {
        case Rotation::PlanarFit:
            RotatePlanarFit(block, settings.plane);
            return;
        case Rotation::TwoAxis:
            RotateTwoAxis(block);
            return;
    }
}

}  // namespace kelvara
