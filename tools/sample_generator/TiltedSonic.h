#pragma once
// Raw data from a sonic tilted by a known plane: the test bed of the planar
// fit. Each half hour is turbulence in its own flow frame, turned to that
// half hour's wind direction and laid on the plane w = b0 + b1 u + b2 v, so
// the block means follow the plane up to the turbulence's sampling noise.

#include <cstdint>
#include <filesystem>
#include <string>

namespace kelvara::samples {

struct TiltedSonicOptions {
    double b0 = 0.02;
    double b1 = 0.04;
    double b2 = -0.03;
    int keptBlocks = 24;         // wind directions evenly around the compass
    int recordsPerBlock = 1200;  // at 10 Hz from the start of each half hour
    std::uint64_t seed = 1;
};

// Half hours the plane-fit screen must leave out, by their place among all
// the file's blocks (the kept blocks fill the other places): calm air, a
// +1.5 m/s fault of w, and a gap that leaves a third of the records.
inline constexpr int kCalmBlock = 5;
inline constexpr int kVerticalFaultBlock = 11;
inline constexpr int kGapBlock = 17;
inline constexpr double kVerticalFault = 1.5;

// The whole file, four header lines and records from 2024-06-01 00:00:00.
// The excluded blocks lie within the first keptBlocks + 3 places, and all
// lie within one day: 15 to 45 kept blocks, else an empty text.
std::string MakeTiltedSonicSample(const TiltedSonicOptions& options);

bool WriteTiltedSonicSample(const std::filesystem::path& file, const TiltedSonicOptions& options);

}  // namespace kelvara::samples
