#pragma once
// The range file (range.ini) that stores the screening limits: 14 lines of
// label, TAB and value text.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/RangeLimits.h"

namespace kelvara {

using RangeTexts = std::array<std::string, kRangeFieldCount>;

// The labels of the file's 14 lines, in order.
extern const std::array<const char*, kRangeFieldCount> kRangeLabels;

// range.ini in the Windows directory.
std::filesystem::path RangeFilePath();

// Fills limits from the file, or with the built-in defaults when the file
// cannot be read. Returns whether the file was read (callers may ignore it).
bool LoadRangeLimits(RangeLimits& limits);
bool LoadRangeLimits(RangeLimits& limits, const std::filesystem::path& file);
// The file the user named, else range.ini of the Windows directory.
bool LoadRangeLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& file);

// What loading the limits for a job found, for the user to be told.
struct RangeLoad {
    std::filesystem::path file;  // read, or looked for
    bool fromFile = false;       // false: the built-in limits, for want of a readable file
    int readError = 0;           // a read of the file failed (its errno): its limits are unknown
    // Values that are no number, and missing lines: "line 12: Ts-Max
    // \"4O\" is no number and reads as 4".
    std::vector<std::string> unreadValues;

    // "range.ini" (the file's own name), or "built-in" without a file.
    std::string SourceName() const;
};

// As LoadRangeLimits, and says where the limits came from and what in the
// file did not read as a number.
RangeLoad LoadJobRangeLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& file);

// The 14 value texts as they stand in the file (each cut at 19 characters).
// False when the file cannot be opened; texts are then left empty.
bool ReadRangeTexts(RangeTexts& texts);
bool ReadRangeTexts(RangeTexts& texts, const std::filesystem::path& file);

// Writes the 14 lines (label, TAB, text, CR LF) through a temporary file that
// replaces the old one, so a failure never leaves a truncated file behind.
bool WriteRangeTexts(const RangeTexts& texts);
bool WriteRangeTexts(const RangeTexts& texts, const std::filesystem::path& file);

}  // namespace kelvara
