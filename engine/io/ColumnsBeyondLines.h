#pragma once
// Why a mapped raw file gave no record: the columns its map names that no
// line of the file reaches.

#include <filesystem>
#include <optional>
#include <string>

#include "io/ColumnLayout.h"

namespace kelvara {

// "the column "diag" (status, column 12) is in no record line: lines have
// 10 columns", when every line after the header lines has fewer columns
// than the layout reads. Nothing when a line has them all, when there is no
// line, or when the file cannot be read. Only the first lines are looked at:
// this explains a run that read nothing, and must not take as long again.
std::optional<std::string> ColumnsBeyondLines(const std::filesystem::path& file, const ColumnLayout& layout);

}  // namespace kelvara
