#include "TowerModel.h"

#include <algorithm>
#include <cmath>

namespace kelvara::samples {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Correlation time of the turbulent eddies, seconds.
constexpr double kEddySeconds = 0.8;
// Tilt of the sonic from the mean streamlines, radians (about 3 degrees).
constexpr double kTiltRadians = 0.05;

double Clamp(double x, double low, double high) { return x < low ? low : (x > high ? high : x); }

}  // namespace

double PortableSine(double x) {
    // Reduce to [-pi, pi], then to [-pi/2, pi/2] by sin(pi - x) = sin(x).
    x -= 2.0 * kPi * std::floor((x + kPi) / (2.0 * kPi));
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int k = 1; k <= 9; ++k) {
        term = -term * x2 / ((2.0 * k) * (2.0 * k + 1.0));
        sum += term;
    }
    return sum;
}

TowerModel::TowerModel(std::uint64_t seed, int hz, const TowerShape& shape)
    : prng_(seed),
      dt_(1.0 / hz),
      fastPhi_(1.0 - dt_ / kEddySeconds),
      fastInnovation_(std::sqrt(1.0 - fastPhi_ * fastPhi_)),
      tiltCos_(PortableSine(kPi / 2 - kTiltRadians)),
      tiltSin_(PortableSine(kTiltRadians)),
      shape_(shape),
      drivers_(static_cast<std::size_t>(std::max(shape.co2LagRecords, shape.h2oLagRecords)) + 1, 0.0) {
    // Each seed starts from its own weather.
    windX_ = prng_.Uniform(0.5, 4.0) * (prng_.Chance(0.5) ? 1.0 : -1.0);
    windY_ = prng_.Uniform(0.5, 4.0) * (prng_.Chance(0.5) ? 1.0 : -1.0);
    co2Drift_ = prng_.Uniform(-10.0, 10.0);
    h2oDrift_ = prng_.Uniform(-1.0, 1.0);
    pressureDrift_ = prng_.Uniform(-0.4, 0.4);
}

double TowerModel::NextRed(RedNoise& noise) {
    noise.value = fastPhi_ * noise.value + fastInnovation_ * prng_.Normal();
    return noise.value;
}

double TowerModel::Correlated(double driver, double own, double r) { return r * driver + std::sqrt(1.0 - r * r) * own; }

double TowerModel::Delayed(int lag) const {
    const std::size_t size = drivers_.size();
    return drivers_[(newest_ + size - static_cast<std::size_t>(lag)) % size];
}

void TowerModel::UpdateSlowState(double hourOfDay) {
    const double step = 1.0;  // seconds between slow updates
    dayFactor_ = Clamp(PortableSine(kPi * (hourOfDay - 6.0) / 12.0), 0.0, 1.0);
    const double night = 1.0 - dayFactor_;

    // Mean wind: a vector relaxing over hours towards a breeze that freshens
    // by day, so both speed and direction wander.
    const double gust = 0.6 + 0.8 * dayFactor_;
    const double ouScale = std::sqrt(2.0 * step / 3600.0);
    windX_ += (2.2 * gust - windX_) * step / 3600.0 + 1.2 * ouScale * prng_.Normal();
    windY_ += (1.1 * gust - windY_) * step / 3600.0 + 1.2 * ouScale * prng_.Normal();
    speed_ = std::sqrt(windX_ * windX_ + windY_ * windY_);
    if (speed_ < 0.3) {
        dirX_ = speed_ > 0.0 ? windX_ / speed_ : 1.0;
        dirY_ = speed_ > 0.0 ? windY_ / speed_ : 0.0;
        speed_ = 0.3;
    } else {
        dirX_ = windX_ / speed_;
        dirY_ = windY_ / speed_;
    }

    // Scalar drifts over a few hours.
    const double slowScale = std::sqrt(2.0 * step / 7200.0);
    co2Drift_ += -co2Drift_ * step / 7200.0 + 6.0 * slowScale * prng_.Normal();
    h2oDrift_ += -h2oDrift_ * step / 7200.0 + 0.5 * slowScale * prng_.Normal();
    pressureDrift_ += -pressureDrift_ * step / 10800.0 + 0.25 * std::sqrt(2.0 * step / 10800.0) * prng_.Normal();

    meanTs_ = 20.0 + 5.0 * PortableSine(2.0 * kPi * (hourOfDay - 9.0) / 24.0);
    meanCO2_ = 700.0 + 30.0 * night - 15.0 * dayFactor_ + co2Drift_;
    meanH2O_ = 10.0 + 1.5 * dayFactor_ + h2oDrift_;
    meanP_ = 98.0 + pressureDrift_;

    // Turbulence scales: friction velocity grows with wind and daytime mixing.
    const double ustar = 0.07 * speed_ * (1.0 + 0.5 * dayFactor_) + 0.03;
    sigmaW_ = 1.25 * ustar;
    sigmaU_ = 2.4 * ustar;
    sigmaV_ = 1.9 * ustar;
    rUW_ = -ustar * ustar / (sigmaU_ * sigmaW_);

    // Kinematic fluxes: heat K m s-1, vapour g m-2 s-1, CO2 mg m-2 s-1.
    const double heatFlux = shape_.stable ? -0.02 - 0.03 * dayFactor_ : 0.20 * dayFactor_ - 0.02 * night;
    const double vapourFlux = 0.06 * dayFactor_ + 0.004;
    const double co2Flux = -0.90 * dayFactor_ + 0.15 * night;
    sigmaT_ = std::fmax(0.08, std::fabs(heatFlux) / (0.5 * sigmaW_));
    sigmaQ_ = std::fmax(0.05, std::fabs(vapourFlux) / (0.5 * sigmaW_));
    sigmaC_ = std::fmax(0.6, std::fabs(co2Flux) / (0.5 * sigmaW_));
    rWT_ = Clamp(heatFlux / (sigmaT_ * sigmaW_), -0.9, 0.9);
    rWQ_ = Clamp(vapourFlux / (sigmaQ_ * sigmaW_), -0.9, 0.9);
    rWC_ = Clamp(co2Flux / (sigmaC_ * sigmaW_), -0.9, 0.9);
}

void TowerModel::Step(double hourOfDay, bool newSecond, TowerSample& sample) {
    if (newSecond || !slowReady_) {
        UpdateSlowState(hourOfDay);
        slowReady_ = true;
    }
    const double ew = NextRed(w_);
    newest_ = (newest_ + 1) % drivers_.size();
    drivers_[newest_] = ew;
    const double uPrime = sigmaU_ * Correlated(ew, NextRed(u_), rUW_);
    const double vPrime = sigmaV_ * NextRed(v_);
    const double wPrime = sigmaW_ * ew;
    // Where the half hour's trend stands: -0.5 at its start to 0.5 at its end.
    const double ramp = std::fmod(hourOfDay * 3600.0, 1800.0) / 1800.0 - 0.5;
    const double trend = shape_.trend * ramp;

    // Streamwise and crosswind parts into the sonic's horizontal axes.
    const double along = shape_.trend != 0.0 ? speed_ + uPrime + trend : speed_ + uPrime;
    const double x = dirX_ * along - dirY_ * vPrime;
    const double y = dirY_ * along + dirX_ * vPrime;
    // The sonic leans about its y axis: part of u shows up in w.
    sample.value[kTowerU] = tiltCos_ * x - tiltSin_ * wPrime;
    sample.value[kTowerV] = y;
    sample.value[kTowerW] = tiltSin_ * x + tiltCos_ * wPrime;

    sample.value[kTowerTs] = meanTs_ + sigmaT_ * Correlated(ew, NextRed(t_), rWT_);
    sample.value[kTowerH2O] = meanH2O_ + sigmaQ_ * Correlated(Delayed(shape_.h2oLagRecords), NextRed(q_), rWQ_);
    sample.value[kTowerCO2] = meanCO2_ + sigmaC_ * Correlated(Delayed(shape_.co2LagRecords), NextRed(c_), rWC_);
    sample.value[kTowerP] = meanP_ + 0.004 * prng_.Normal();
    if (shape_.trend != 0.0) {
        sample.value[kTowerW] += trend;
        sample.value[kTowerTs] -= 10.0 * trend;
        sample.value[kTowerCO2] += 100.0 * trend;
        sample.value[kTowerH2O] -= 5.0 * trend;
    }
}

}  // namespace kelvara::samples
