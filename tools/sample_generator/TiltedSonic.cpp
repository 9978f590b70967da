#include "TiltedSonic.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "SamplePrng.h"

namespace kelvara::samples {

namespace {

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vector Normalised(const Vector& a) {
    const double length = std::sqrt(Dot(a, a));
    return {a[0] / length, a[1] / length, a[2] / length};
}

Vector Cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The flow frame of one half hour in the sonic's axes: along the mean wind
// in the plane, across it in the plane, and the plane's normal.
struct FlowFrame {
    Vector along, across, normal;
};

FlowFrame FrameFor(const TiltedSonicOptions& options, double directionDegrees) {
    const Vector normal = Normalised({-options.b1, -options.b2, 1.0});
    const double angle = directionDegrees * std::numbers::pi / 180.0;
    const Vector horizontal{std::cos(angle), std::sin(angle), 0.0};
    const double off = Dot(horizontal, normal);
    const Vector along =
        Normalised({horizontal[0] - off * normal[0], horizontal[1] - off * normal[1], horizontal[2] - off * normal[2]});
    return {along, Cross(normal, along), normal};
}

struct BlockPlan {
    double direction;  // degrees
    double speed;      // m/s along the plane
    double wFault;     // added to every w
    int records;
};

BlockPlan PlanOf(const TiltedSonicOptions& options, int place, int& kept) {
    if (place == kCalmBlock) return {100.0, 0.2, 0.0, options.recordsPerBlock};
    if (place == kVerticalFaultBlock) return {200.0, 3.0, kVerticalFault, options.recordsPerBlock};
    if (place == kGapBlock) return {300.0, 3.0, 0.0, options.recordsPerBlock / 3};
    const int k = kept++;
    const double direction = 7.5 + 360.0 * k / options.keptBlocks;
    return {direction, 2.0 + 0.5 * (k * 7 % 4), 0.0, options.recordsPerBlock};
}

void AppendBlock(std::string& text, const TiltedSonicOptions& options, const BlockPlan& plan, int place,
                 SamplePrng& random) {
    const FlowFrame frame = FrameFor(options, plan.direction);
    // Mean w wanders off the plane a little from one half hour to the next.
    const double offset = options.b0 + 0.01 * random.Normal() + plan.wFault;
    const int hour = place / 2, minute = place % 2 * 30;
    char line[256];
    for (int i = 0; i < plan.records; ++i) {
        const double a = plan.speed + 0.5 * random.Normal(), c = 0.4 * random.Normal(), n = 0.25 * random.Normal();
        double wind[3];
        for (std::size_t axis = 0; axis < 3; ++axis) {
            wind[axis] = a * frame.along[axis] + c * frame.across[axis] + n * frame.normal[axis];
        }
        std::snprintf(line, sizeof line, "\"2024-06-01 %02d:%02d:%02d.%d\",%.4f,%.4f,%.4f,%.3f,%.4f,%.3f,%.3f,0\r\n",
                      hour, minute + i / 600, i % 600 / 10, i % 10, wind[0], wind[1], wind[2] + offset,
                      700.0 + random.Normal(), 10.0 + 0.1 * random.Normal(), 20.0 + 0.2 * random.Normal(),
                      98.0 + 0.01 * random.Normal());
        text += line;
    }
}

}  // namespace

std::string MakeTiltedSonicSample(const TiltedSonicOptions& options) {
    if (options.keptBlocks < 15 || options.keptBlocks > 45 || options.recordsPerBlock < 15 ||
        options.recordsPerBlock > 18000)
        return {};
    std::string text =
        "\"TOA5\",\"tilted sonic\"\r\n\"TIMESTAMP\",\"Ux\",\"Uy\",\"Uz\",\"co2\",\"h2o\",\"Ts\",\"press\","
        "\"diag\"\r\n\"TS\",\"m/s\",\"m/s\",\"m/s\",\"mg/m^3\",\"g/m^3\",\"C\",\"kPa\",\"\"\r\n\"\",\"Smp\"\r\n";
    SamplePrng random(options.seed);
    int kept = 0;
    for (int place = 0; kept < options.keptBlocks || place <= kGapBlock; ++place) {
        AppendBlock(text, options, PlanOf(options, place, kept), place, random);
    }
    return text;
}

bool WriteTiltedSonicSample(const std::filesystem::path& file, const TiltedSonicOptions& options) {
    const std::string text = MakeTiltedSonicSample(options);
    if (text.empty()) return false;
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace kelvara::samples
