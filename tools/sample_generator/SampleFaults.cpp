#include "SampleFaults.h"

#include "SampleGenerator.h"

namespace kelvara::samples {

FaultInjector::FaultInjector(std::uint64_t seed, const SampleOptions& options)
    : prng_(seed ^ 0xD1B54A32D192ED03ull),
      spikeRate_(options.spikeRate),
      badStatusRate_(options.badStatusRate),
      outOfRangeRate_(options.outOfRangeRate),
      gapRate_(options.gapRate) {}

void FaultInjector::Draw(RecordFaults& faults) {
    faults = RecordFaults{};
    faults.gap = prng_.Chance(gapRate_);
    if (prng_.Chance(spikeRate_)) {
        faults.spikeVariable = prng_.Integer(0, kTowerVariableCount - 1);
        faults.spikeOffset = SpikeOffset(faults.spikeVariable);
    }
    if (prng_.Chance(outOfRangeRate_)) {
        faults.outOfRangeVariable = prng_.Integer(0, kTowerVariableCount - 1);
        faults.outOfRangeValue = OutOfRangeValue(faults.outOfRangeVariable);
    }
    if (prng_.Chance(badStatusRate_)) {
        faults.badStatus = true;
        faults.status = prng_.Chance(0.5) ? prng_.Integer(14, 99) : prng_.Integer(-9, -1);
    }
}

// Far beyond the block's own scatter (many standard deviations) but still
// inside the default range limits, so only the spike test can catch it.
double FaultInjector::SpikeOffset(int variable) {
    const double sign = prng_.Chance(0.5) ? 1.0 : -1.0;
    switch (variable) {
        case kTowerU:
        case kTowerV:
        case kTowerW:
            return sign * prng_.Uniform(10.0, 25.0);
        case kTowerCO2:
            return sign * prng_.Uniform(150.0, 400.0);
        case kTowerH2O:
            return sign * prng_.Uniform(6.0, 15.0);
        case kTowerTs:
            return sign * prng_.Uniform(10.0, 20.0);
        default:
            return sign * prng_.Uniform(2.0, 5.0);
    }
}

// Outside the default limits: winds beyond +-50, CO2 outside 0..1500,
// H2O outside -20..100, Ts outside -50..50, P outside 30..150.
double FaultInjector::OutOfRangeValue(int variable) {
    const bool high = prng_.Chance(0.5);
    switch (variable) {
        case kTowerU:
        case kTowerV:
        case kTowerW:
            return (high ? 1.0 : -1.0) * prng_.Uniform(55.0, 120.0);
        case kTowerCO2:
            return high ? prng_.Uniform(1550.0, 3000.0) : prng_.Uniform(-300.0, -10.0);
        case kTowerH2O:
            return high ? prng_.Uniform(105.0, 200.0) : prng_.Uniform(-60.0, -25.0);
        case kTowerTs:
            return high ? prng_.Uniform(55.0, 99.0) : prng_.Uniform(-99.0, -55.0);
        default:
            return high ? prng_.Uniform(160.0, 200.0) : prng_.Uniform(0.5, 25.0);
    }
}

void FaultInjector::Apply(const RecordFaults& faults, TowerSample& sample) {
    if (faults.spikeVariable >= 0) sample.value[faults.spikeVariable] += faults.spikeOffset;
    if (faults.outOfRangeVariable >= 0) sample.value[faults.outOfRangeVariable] = faults.outOfRangeValue;
}

}  // namespace kelvara::samples
