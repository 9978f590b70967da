#pragma once
// The physics behind the synthetic samples: a mean wind that drifts slowly in
// speed and direction, turbulence whose fluxes follow the sun (u'w' < 0,
// w'T' > 0, w'q' > 0 and w'c' < 0 by day, weaker or reversed at night), slow
// scalar drifts, and a sonic tilted a little so that mean w follows u.

#include <cstdint>
#include <vector>

#include "SamplePrng.h"

namespace kelvara::samples {

// Values in the raw file's column order, in its units: m s-1, mg m-3, g m-3,
// degrees C, kPa.
enum TowerVariable : int { kTowerU, kTowerV, kTowerW, kTowerCO2, kTowerH2O, kTowerTs, kTowerP, kTowerVariableCount };

struct TowerSample {
    double value[kTowerVariableCount];
};

// What the corrections' tests need beyond the usual tower; the defaults
// change nothing.
struct TowerShape {
    // The gas analyser's delay behind the sonic, in records: the gases
    // follow w of that many records earlier.
    int co2LagRecords = 0;
    int h2oLagRecords = 0;
    // A downward heat flux all day (stable stratification).
    bool stable = false;
    // A trend that restarts every half hour: over each, the wind along the
    // mean direction and w rise by trend m/s, Ts falls by 10 trend K, CO2
    // rises by 100 trend mg m-3 and H2O falls by 5 trend g m-3.
    double trend = 0.0;
};

// sin(x) from a polynomial: bit-identical on every platform, unlike the
// maths library's, which is all the smooth cycles here need.
double PortableSine(double x);

class TowerModel {
public:
    TowerModel(std::uint64_t seed, int hz, const TowerShape& shape = TowerShape{});

    // The next sample. hourOfDay drives the daily cycles; newSecond tells
    // that the slow state is due for its once-a-second update.
    void Step(double hourOfDay, bool newSecond, TowerSample& sample);

private:
    // First-order autoregressive process with unit variance.
    struct RedNoise {
        double value = 0.0;
    };

    void UpdateSlowState(double hourOfDay);
    double NextRed(RedNoise& noise);
    // A unit-variance value with correlation r to the unit-variance driver.
    static double Correlated(double driver, double own, double r);
    // w's driver of lag records ago (0 before the first record).
    double Delayed(int lag) const;

    SamplePrng prng_;
    double dt_;
    double fastPhi_;
    double fastInnovation_;
    double tiltCos_;
    double tiltSin_;
    bool slowReady_ = false;

    // Slow state, updated once a second.
    double windX_ = 2.0, windY_ = 1.0;
    double co2Drift_ = 0.0, h2oDrift_ = 0.0, pressureDrift_ = 0.0;
    double dayFactor_ = 0.0;
    double meanTs_ = 20.0, meanCO2_ = 700.0, meanH2O_ = 10.0, meanP_ = 98.0;
    double speed_ = 1.0, dirX_ = 1.0, dirY_ = 0.0;
    double sigmaU_ = 0.0, sigmaV_ = 0.0, sigmaW_ = 0.0;
    double sigmaT_ = 0.0, sigmaQ_ = 0.0, sigmaC_ = 0.0;
    double rUW_ = 0.0, rWT_ = 0.0, rWQ_ = 0.0, rWC_ = 0.0;

    RedNoise u_, v_, w_, t_, q_, c_;

    TowerShape shape_;
    std::vector<double> drivers_;  // w's last drivers, a ring
    std::size_t newest_ = 0;
};

}  // namespace kelvara::samples
