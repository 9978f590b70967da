#include "pipeline/PlaneFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>

namespace kelvara {

namespace {

constexpr double kSectorDegrees = 45.0;
constexpr double kEigenvalueRatio = 1e-6;

double Degrees(double radians) { return radians * (180.0 / std::numbers::pi); }

std::string Format(const char* format, double a, double b) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

// Centred sums of the kept blocks' winds, in double, block order.
struct CentredSums {
    double mu = 0.0, mv = 0.0, mw = 0.0;
    double uu = 0.0, uv = 0.0, vv = 0.0, uw = 0.0, vw = 0.0, ww = 0.0;
};

CentredSums SumsOf(const std::vector<BlockWind>& kept) {
    CentredSums s;
    double su = 0.0, sv = 0.0, sw = 0.0;
    for (const BlockWind& b : kept) {
        su += b.u;
        sv += b.v;
        sw += b.w;
    }
    const auto k = static_cast<double>(kept.size());
    s.mu = su / k;
    s.mv = sv / k;
    s.mw = sw / k;
    for (const BlockWind& b : kept) {
        const double du = b.u - s.mu, dv = b.v - s.mv, dw = b.w - s.mw;
        s.uu += du * du;
        s.uv += du * dv;
        s.vv += dv * dv;
        s.uw += du * dw;
        s.vw += dv * dw;
        s.ww += dw * dw;
    }
    return s;
}

// The winds span two directions when the smaller eigenvalue of
// [[uu, uv], [uv, vv]] is not negligible beside the larger; the smaller is
// taken as the determinant over the larger, which does not cancel.
bool SpansTwoDirections(const CentredSums& s, double determinant) {
    const double halfTrace = (s.uu + s.vv) / 2.0;
    const double halfDifference = (s.uu - s.vv) / 2.0;
    const double larger = halfTrace + std::sqrt(halfDifference * halfDifference + s.uv * s.uv);
    const double smaller = larger > 0.0 ? determinant / larger : 0.0;
    return determinant > 0.0 && smaller > kEigenvalueRatio * larger;
}

std::vector<int> SectorsOf(const std::vector<BlockWind>& kept) {
    std::set<int> sectors;
    for (const BlockWind& b : kept) sectors.insert(WindSector(b.u, b.v));
    return {sectors.begin(), sectors.end()};
}

PlaneFit Refuse(PlaneFit fit, std::string reason) {
    fit.ok = false;
    fit.refusal = std::move(reason);
    return fit;
}

void AddResidualStatistics(const std::vector<BlockWind>& kept, const CentredSums& s, double determinant,
                           PlaneFit& fit) {
    double squares = 0.0;
    for (const BlockWind& b : kept) {
        const double residual = b.w - (fit.b0 + fit.b1 * b.u + fit.b2 * b.v);
        squares += residual * residual;
        fit.maxAbsResidual = std::max(fit.maxAbsResidual, std::fabs(residual));
    }
    const auto k = static_cast<double>(kept.size());
    const double s2 = squares / (k - 3.0);
    fit.se_b1 = std::sqrt(s2 * s.vv / determinant);
    fit.se_b2 = std::sqrt(s2 * s.uu / determinant);
    fit.se_b0 =
        std::sqrt(s2 * (1.0 / k + (s.mu * s.mu * s.vv - 2.0 * s.mu * s.mv * s.uv + s.mv * s.mv * s.uu) / determinant));
    if (s.ww != 0.0) fit.r2 = 1.0 - squares / s.ww;
    fit.rmsResidual = std::sqrt(s2);
}

}  // namespace

BlockWind MeanWindOfGoodRecords(const BlockBuffer& block) {
    double su = 0.0, sv = 0.0, sw = 0.0;
    int good = 0;
    for (int i = 0; i < block.count; ++i) {
        if (!block.IsGood(i)) continue;
        su += static_cast<double>(block.sample[kU][i]);
        sv += static_cast<double>(block.sample[kV][i]);
        sw += static_cast<double>(block.sample[kW][i]);
        ++good;
    }
    const auto n = static_cast<double>(good);
    return BlockWind{su / n, sv / n, sw / n, good};
}

std::optional<std::string> ExclusionOf(const BlockWind& wind, const PlaneFitScreen& screen) {
    if (wind.records < screen.minRecords) {
        char text[96];
        std::snprintf(text, sizeof text, "too few records (%d < %d)", wind.records, screen.minRecords);
        return std::string(text);
    }
    const double speed = std::sqrt(wind.u * wind.u + wind.v * wind.v);
    if (speed < screen.uMin) return Format("calm (speed %g < %g)", speed, screen.uMin);
    if (std::fabs(wind.w) > screen.wMax) return Format("vertical wind (|w| %g > %g)", std::fabs(wind.w), screen.wMax);
    return std::nullopt;
}

int WindSector(double u, double v) {
    double degrees = Degrees(std::atan2(v, u));
    degrees = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    return static_cast<int>(std::floor(degrees / kSectorDegrees));
}

PlaneFit FitPlane(const std::vector<BlockWind>& kept) {
    PlaneFit fit;
    fit.blocksUsed = static_cast<int>(kept.size());
    fit.sectors = SectorsOf(kept);
    if (fit.blocksUsed < kMinimumPlaneFitBlocks) {
        char text[160];
        std::snprintf(text, sizeof text, "only %d blocks kept, at least %d are needed: fit over a longer period",
                      fit.blocksUsed, kMinimumPlaneFitBlocks);
        return Refuse(fit, text);
    }
    const CentredSums s = SumsOf(kept);
    const double determinant = s.uu * s.vv - s.uv * s.uv;
    if (!SpansTwoDirections(s, determinant)) {
        return Refuse(fit,
                      "the block winds do not span two directions: fit over a period with winds from several sides");
    }
    if (static_cast<int>(fit.sectors.size()) < kMinimumPlaneFitSectors) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "the winds come from %d of the eight 45-degree sectors, at least %d are needed: fit over a "
                      "period with winds from more sides",
                      static_cast<int>(fit.sectors.size()), kMinimumPlaneFitSectors);
        return Refuse(fit, text);
    }
    fit.ok = true;
    fit.b1 = (s.vv * s.uw - s.uv * s.vw) / determinant;
    fit.b2 = (s.uu * s.vw - s.uv * s.uw) / determinant;
    fit.b0 = s.mw - fit.b1 * s.mu - fit.b2 * s.mv;
    AddResidualStatistics(kept, s, determinant, fit);
    const double tilt = std::sqrt(1.0 + fit.b1 * fit.b1 + fit.b2 * fit.b2);
    fit.alphaDegrees = Degrees(std::asin(-fit.b1 / tilt));
    fit.betaDegrees = Degrees(std::asin(fit.b2 / std::sqrt(1.0 + fit.b2 * fit.b2)));
    return fit;
}

}  // namespace kelvara
