#pragma once
// The header lines of a logger table: the column names of the second line,
// the units of the third.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "io/RawRecord.h"

namespace kelvara {

// The line's comma-separated fields, each double-quoted or bare, without
// the quotes and the blanks around them.
std::vector<std::string> SplitHeaderFields(std::string_view line);

enum class HeaderRead { Read, CannotOpen, ReadFailed };

// The file's first kHeaderLineCount lines, without their line ends (a
// missing line is empty). readError gets the errno of a failed read.
HeaderRead ReadHeaderLines(const std::filesystem::path& file, std::vector<std::string>& lines, int& readError);

// The header line that names the columns, and the one that gives their units.
inline constexpr int kNamesLine = 1;
inline constexpr int kUnitsLine = 2;

}  // namespace kelvara
