#pragma once
// The screening limits and the range.ini file that stores them.

#include <array>
#include <filesystem>
#include <string>

namespace kelvara {

inline constexpr int kRangeFieldCount = 14;

// 14 bounds, minimum then maximum, in the file's line order.
struct RangeLimits {
    float U_Min, U_Max;
    float V_Min, V_Max;
    float W_Min, W_Max;
    float CO2_Min, CO2_Max;
    float H2O_Min, H2O_Max;
    float Ts_Min, Ts_Max;
    float P_Min, P_Max;
};

using RangeTexts = std::array<std::string, kRangeFieldCount>;

// The labels of the file's 14 lines, in order.
extern const std::array<const char*, kRangeFieldCount> kRangeLabels;

RangeLimits DefaultRangeLimits();

// Strict on both sides: a value equal to a bound is out of range.
inline bool InRange(float value, float minimum, float maximum) {
    return minimum < value && value < maximum;
}

std::filesystem::path RangeFilePath();

// Fills limits from the file, or with the built-in defaults when the file
// cannot be read. Returns whether the file was read (callers may ignore it).
bool LoadRangeLimits(RangeLimits& limits);
bool LoadRangeLimits(RangeLimits& limits, const std::filesystem::path& file);

// The 14 value texts as they stand in the file (each cut at 19 characters).
// False when the file cannot be opened; texts are then left empty.
bool ReadRangeTexts(RangeTexts& texts);
bool ReadRangeTexts(RangeTexts& texts, const std::filesystem::path& file);

// Writes the 14 lines (label, TAB, text, CR LF) through a temporary file that
// replaces the old one, so a failure never leaves a truncated file behind.
bool WriteRangeTexts(const RangeTexts& texts);
bool WriteRangeTexts(const RangeTexts& texts, const std::filesystem::path& file);

}  // namespace kelvara
