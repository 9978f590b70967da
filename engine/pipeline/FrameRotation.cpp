#include "pipeline/FrameRotation.h"

#include <cmath>

namespace kelvara {

namespace {

using Matrix = double[3][3];

void Multiply(const Matrix& a, const Matrix& b, Matrix& out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += a[r][k] * b[k][c];
            out[r][c] = sum;
        }
    }
}

}  // namespace

FrameRotation DoubleRotation(const BlockMoments& moments) {
    const double u = moments.mean[kU];
    const double v = moments.mean[kV];
    const double w = moments.mean[kW];
    const double h = std::sqrt(u * u + v * v);
    const double eta = h == 0.0 ? 0.0 : std::atan2(v, u);
    const double theta = std::atan2(w, h);
    const double ce = std::cos(eta), se = std::sin(eta);
    const double ct = std::cos(theta), st = std::sin(theta);
    return FrameRotation{{{ct * ce, ct * se, st}, {-se, ce, 0.0}, {-st * ce, -st * se, ct}}, {0.0, 0.0, 0.0}};
}

FrameRotation PlanarFitRotation(const BlockMoments& moments, const PlaneCoefficients& plane) {
    const double b0 = plane.b0, b1 = plane.b1, b2 = plane.b2;
    const double s = std::sqrt(b1 * b1 + b2 * b2 + 1.0);
    const double k1 = -b1 / s, k2 = -b2 / s, k3 = 1.0 / s;
    const double sinA = k1;
    const double cosA = std::sqrt(k2 * k2 + k3 * k3);
    const double sinB = -k2 / cosA, cosB = k3 / cosA;
    const Matrix tilt = {{cosA, sinA * sinB, -sinA * cosB}, {0.0, cosB, sinB}, {sinA, -cosA * sinB, cosA * cosB}};

    const double wind[3] = {moments.mean[kU], moments.mean[kV], moments.mean[kW] - b0};
    double up = 0.0, vp = 0.0;
    for (int k = 0; k < 3; ++k) {
        up += tilt[0][k] * wind[k];
        vp += tilt[1][k] * wind[k];
    }
    const double gamma = (up == 0.0 && vp == 0.0) ? 0.0 : std::atan2(vp, up);
    const double cg = std::cos(gamma), sg = std::sin(gamma);
    const Matrix yaw = {{cg, sg, 0.0}, {-sg, cg, 0.0}, {0.0, 0.0, 1.0}};

    FrameRotation rotation;
    Multiply(yaw, tilt, rotation.R);
    rotation.d[2] = b0;
    return rotation;
}

FrameRotation StandardRotation(const BlockMoments& moments, const RotationSettings& settings) {
    return settings.rotation == Rotation::PlanarFit ? PlanarFitRotation(moments, settings.plane)
                                                    : DoubleRotation(moments);
}

RotatedMoments RotateMoments(const BlockMoments& moments, const FrameRotation& rotation) {
    const auto& R = rotation.R;
    RotatedMoments rotated;
    for (int a = 0; a < 3; ++a) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += R[a][k] * (moments.mean[k] - rotation.d[k]);
        rotated.mean[a] = sum;
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) {
                for (int l = 0; l < 3; ++l) sum += R[a][k] * moments.cov[k][l] * R[b][l];
            }
            rotated.cov[a][b] = sum;
        }
    }
    const auto withW = [&](Variable scalar) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += R[2][k] * moments.cov[k][scalar];
        return sum;
    };
    rotated.wTs = withW(kTs);
    rotated.wCO2 = withW(kCO2);
    rotated.wH2O = withW(kH2O);
    return rotated;
}

}  // namespace kelvara
