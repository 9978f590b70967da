#pragma once
// One whole half hour for the standard methods: as many records as the half
// hour holds (a 20 Hz half hour is 36000), where BlockBuffer stops at 18000.

#include <cstdint>
#include <memory>

#include "pipeline/GoodRecords.h"
#include "pipeline/KeepFlags.h"
#include "pipeline/Variable.h"

namespace kelvara {

// The arrays grow to fit the largest half hour met and are then reused, so
// a run allocates only while its blocks still grow. The members Despike
// works on have BlockBuffer's names and indexing, so one Despike serves both.
class StandardBlock {
public:
    // Room for a 20 Hz half hour from the start.
    static constexpr int kInitialCapacity = 36000;

    StandardBlock();
    StandardBlock(const StandardBlock&) = delete;
    StandardBlock& operator=(const StandardBlock&) = delete;

    int count = 0;
    // Measured samples and keep-flags, [variable][record]; the pointers move
    // when the block grows and belong to the block.
    float* sample[kVariableCount] = {};
    std::int16_t* flag[kVariableCount] = {};
    // Samples strictly inside their range limits, per variable (set by Despike).
    int inRange[kVariableCount] = {};

    void Clear() { count = 0; }

    // Adds a record's seven values as the next sample. False (nothing added)
    // when no more memory could be had.
    bool Append(const float (&values)[kVariableCount]) {
        if (count == capacity_ && !Grow()) return false;
        for (int v = 0; v < kVariableCount; ++v) sample[v][count] = values[v];
        ++count;
        return true;
    }
    // Adds length records at once, record i of variable v at columns[v][i].
    // False (nothing added) when no more memory could be had.
    bool AppendColumns(const float* const (&columns)[kVariableCount], int length);

    // A record is good when all seven of its flags are set.
    bool IsGood(int i) const { return AllFlagsSet(flag, i); }
    // Records whose seven flags are all set (valid after Despike).
    int GoodRecordCount() const { return CountGoodRecords(*this); }

    int Capacity() const { return capacity_; }

private:
    // Doubles the room, keeping the samples; false when that fails.
    bool Grow();
    bool Allocate(int capacity);

    int capacity_ = 0;
    std::unique_ptr<float[]> samples_;
    std::unique_ptr<std::int16_t[]> flags_;
};

}  // namespace kelvara
