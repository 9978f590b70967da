#pragma once
// The faults a real logger file carries, at rates the user chooses: spikes,
// bad instrument status, values outside any plausible range, lost records.

#include <cstdint>

#include "SamplePrng.h"
#include "TowerModel.h"

namespace kelvara::samples {

struct SampleOptions;

struct RecordFaults {
    bool gap = false;
    bool badStatus = false;
    int status = 0;
    int spikeVariable = -1;  // -1: none
    double spikeOffset = 0.0;
    int outOfRangeVariable = -1;  // -1: none
    double outOfRangeValue = 0.0;
};

// Draws from its own stream, so turning faults on or off leaves the
// underlying signal of every other record unchanged.
class FaultInjector {
public:
    FaultInjector(std::uint64_t seed, const SampleOptions& options);

    void Draw(RecordFaults& faults);

    // Applies the drawn spike and out-of-range value to the sample.
    static void Apply(const RecordFaults& faults, TowerSample& sample);

private:
    double SpikeOffset(int variable);
    double OutOfRangeValue(int variable);

    SamplePrng prng_;
    double spikeRate_;
    double badStatusRate_;
    double outOfRangeRate_;
    double gapRate_;
};

}  // namespace kelvara::samples
