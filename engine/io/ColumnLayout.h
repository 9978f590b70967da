#pragma once
// Where a mapped raw file keeps each field, found once per file from the
// user's InputFormat and the file's header lines.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "io/ColumnUnits.h"
#include "io/InputFormat.h"
#include "pipeline/Variable.h"

namespace kelvara {

// Columns a map may name; a record is split no further than its last one.
inline constexpr int kMaxMappedColumns = 512;

struct ColumnLayout {
    bool mapped = false;               // false: the raw format's own layout, by position
    int column[kMapTargetCount] = {};  // 0-based, per MapTarget
    UnitConversion conversion[kVariableCount] = {};
    int lastColumn = 0;  // the highest of column[]
};

// The layout that format gives a file with these header lines (the second
// names the columns, the third gives their units). False, with problem set
// to a sentence for the user, when a column is missing or a unit unknown.
// description says which column went to which target, and any conversion.
bool ResolveColumns(const InputFormat& format, const std::vector<std::string>& headerLines, ColumnLayout& layout,
                    std::string& description, std::string& problem);

enum class ColumnCheck { Resolved, Refused, CannotOpen, ReadFailed };

// ResolveColumns on the file's own header lines; the default layout for a
// format without a map, without reading the file. A failed read sets
// problem to the system's reason.
ColumnCheck ResolveFileColumns(const std::filesystem::path& file, const InputFormat& format, ColumnLayout& layout,
                               std::string& description, std::string& problem);

// The file's second header line names a record-number column ("RECORD",
// "RN"): a logger table that the default layout misreads.
bool HeaderNamesRecordColumn(const std::filesystem::path& file);

}  // namespace kelvara
