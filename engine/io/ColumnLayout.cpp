#include "io/ColumnLayout.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "io/FileChecks.h"
#include "io/HeaderFields.h"

namespace kelvara {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithLetters(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameLetters(text.substr(0, prefix.size()), prefix);
}

// The usual names of each value column, in the order they are looked for.
const std::initializer_list<std::string_view>& Aliases(int variable) {
    static const std::initializer_list<std::string_view> kAliases[kVariableCount] = {{"Ux", "U"},
                                                                                     {"Uy", "V"},
                                                                                     {"Uz", "W"},
                                                                                     {"co2", "rho_c"},
                                                                                     {"h2o", "rho_v"},
                                                                                     {"Ts", "T_SONIC", "Tsonic"},
                                                                                     {"press", "P", "amb_press"}};
    return kAliases[variable];
}

int FindName(const std::vector<std::string>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameLetters(names[i], name)) return static_cast<int>(i);
    }
    return -1;
}

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string NamesFound(const std::vector<std::string>& names) {
    if (names.empty() || (names.size() == 1 && names.front().empty())) return "the second header line names no column";
    return "the header names " + Listed(names);
}

// A map text of digits only is a 1-based column number.
bool IsColumnNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool MapNeedsNames(const InputFormat& format) {
    return std::any_of(format.map.begin(), format.map.end(),
                       [](const std::string& text) { return !text.empty() && !IsColumnNumber(text); });
}

int AutoStatusColumn(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameLetters(names[i], "status") || StartsWithLetters(names[i], "diag")) return static_cast<int>(i);
    }
    return -1;
}

std::string AliasText(int target) {
    if (target == kMapStatus) return "status, diag...";
    std::string text;
    for (const std::string_view alias : Aliases(target - kMapU)) {
        text += (text.empty() ? "" : ", ") + std::string(alias);
    }
    return text;
}

bool ResolveAuto(const std::vector<std::string>& names, ColumnLayout& layout, std::string& problem) {
    const int timestamp = FindName(names, "TIMESTAMP");
    layout.column[kMapTime] = timestamp >= 0 ? timestamp : 0;
    std::vector<std::string> missing;
    for (int target = kMapU; target < kMapTargetCount; ++target) {
        int column = -1;
        if (target == kMapStatus) {
            column = AutoStatusColumn(names);
        } else {
            for (const std::string_view alias : Aliases(target - kMapU)) {
                column = FindName(names, alias);
                if (column >= 0) break;
            }
        }
        if (column < 0) missing.push_back(std::string(MapTargetName(target)) + " (" + AliasText(target) + ")");
        layout.column[target] = column;
    }
    if (missing.empty()) return true;
    problem = "no column for " + Listed(missing) + "; " + NamesFound(names);
    return false;
}

bool ResolveMap(const InputFormat& format, const std::vector<std::string>& names, ColumnLayout& layout,
                std::string& problem) {
    std::vector<std::string> missing;
    for (int target = 0; target < kMapTargetCount; ++target) {
        const std::string& text = format.map[static_cast<std::size_t>(target)];
        if (text.empty()) {
            layout.column[target] = 0;  // the time stamp's default: the first column
        } else if (IsColumnNumber(text)) {
            const int number = text.size() > 4 ? kMaxMappedColumns + 1 : std::stoi(text);
            if (number < 1 || number > kMaxMappedColumns) {
                problem = "the column number " + text + " for " + std::string(MapTargetName(target)) +
                          " is not between 1 and " + std::to_string(kMaxMappedColumns);
                return false;
            }
            layout.column[target] = number - 1;
        } else {
            layout.column[target] = FindName(names, text);
            if (layout.column[target] < 0)
                missing.push_back("\"" + text + "\" for " + std::string(MapTargetName(target)));
        }
    }
    if (missing.empty()) return true;
    problem = "no column named " + Listed(missing) + "; " + NamesFound(names);
    return false;
}

// A name and a number, or the time stamp's first column by default, can
// still name one column twice.
bool EachColumnOnce(const ColumnLayout& layout, const std::vector<std::string>& names, std::string& problem) {
    for (int a = 0; a < kMapTargetCount; ++a) {
        for (int b = a + 1; b < kMapTargetCount; ++b) {
            if (layout.column[a] != layout.column[b]) continue;
            const auto column = static_cast<std::size_t>(layout.column[a]);
            const std::string name = column < names.size() && !names[column].empty() ? " (" + names[column] + ")" : "";
            problem = "the columns of " + std::string(MapTargetName(a)) + " and " + std::string(MapTargetName(b)) +
                      " are one column, column " + std::to_string(column + 1) + name;
            return false;
        }
    }
    return true;
}

bool CheckUnits(const std::vector<std::string>& names, const std::vector<std::string>& units, ColumnLayout& layout,
                std::string& problem) {
    for (int variable = 0; variable < kVariableCount; ++variable) {
        const auto column = static_cast<std::size_t>(layout.column[MapTargetOfVariable(variable)]);
        const std::string unit = column < units.size() ? units[column] : std::string();
        if (!ConversionOf(variable, unit, layout.conversion[variable])) {
            problem = "the column \"" + names[column] + "\" (" +
                      std::string(MapTargetName(MapTargetOfVariable(variable))) + ") has the unit \"" + unit +
                      "\"; expected " + std::string(ExpectedUnit(variable)) + " (or give --no-unit-check)";
            return false;
        }
    }
    return true;
}

std::string Describe(const ColumnLayout& layout, const std::vector<std::string>& names) {
    std::string text;
    for (int target = 0; target < kMapTargetCount; ++target) {
        const auto column = static_cast<std::size_t>(layout.column[target]);
        text += (target == 0 ? "" : ", ") + std::string(MapTargetName(target)) + "=";
        // A named column says its name and where it is; an unnamed one, only where.
        const std::string where = "column " + std::to_string(column + 1);
        text += column < names.size() && !names[column].empty() ? names[column] + " (" + where + ")" : where;
    }
    for (int variable = 0; variable < kVariableCount; ++variable) {
        if (layout.conversion[variable] == UnitConversion::None) continue;
        text += "; " + std::string(MapTargetName(MapTargetOfVariable(variable))) + " converted from " +
                ConversionText(layout.conversion[variable]);
    }
    return text;
}

// Where the default layout keeps each target: the time stamp, the seven
// values, the status.
bool InDefaultPositions(const ColumnLayout& layout) {
    for (int target = 0; target < kMapTargetCount; ++target) {
        if (layout.column[target] != target) return false;
    }
    return true;
}

// Names from the header only when they name every column, once each, and
// somewhere else than the default layout keeps them: any other file reads
// by position exactly as it always did.
bool HeaderNamesMovedColumns(const std::vector<std::string>& names, ColumnLayout& layout) {
    std::string ignored;
    return ResolveAuto(names, layout, ignored) && EachColumnOnce(layout, names, ignored) && !InDefaultPositions(layout);
}

}  // namespace

bool ResolveColumns(const InputFormat& format, const std::vector<std::string>& headerLines, ColumnLayout& layout,
                    std::string& description, std::string& problem) {
    layout = ColumnLayout{};
    description.clear();
    if (format.ReadsByPosition()) return true;
    const auto line = [&](int index) {
        return static_cast<std::size_t>(index) < headerLines.size() ? headerLines[static_cast<std::size_t>(index)]
                                                                    : std::string();
    };
    const bool fromHeader = format.source == ColumnSource::Auto || format.source == ColumnSource::Detect;
    const bool byNames = fromHeader || MapNeedsNames(format);
    const std::vector<std::string> names = byNames ? SplitHeaderFields(line(kNamesLine)) : std::vector<std::string>{};
    if (format.source == ColumnSource::Detect && !HeaderNamesMovedColumns(names, layout)) {
        layout = ColumnLayout{};
        return true;
    }
    const bool resolved = format.source == ColumnSource::Map ? ResolveMap(format, names, layout, problem)
                                                             : ResolveAuto(names, layout, problem);
    if (!resolved || !EachColumnOnce(layout, names, problem)) return false;
    if (fromHeader && format.checkUnits && !CheckUnits(names, SplitHeaderFields(line(kUnitsLine)), layout, problem)) {
        return false;
    }
    layout.mapped = true;
    layout.lastColumn = *std::max_element(std::begin(layout.column), std::end(layout.column));
    if (layout.lastColumn >= kMaxMappedColumns) {
        problem = "a mapped column lies beyond column " + std::to_string(kMaxMappedColumns);
        return false;
    }
    description = Describe(layout, names);
    return true;
}

ColumnCheck ResolveFileColumns(const std::filesystem::path& file, const InputFormat& format, ColumnLayout& layout,
                               std::string& description, std::string& problem) {
    layout = ColumnLayout{};
    description.clear();
    if (format.ReadsByPosition()) return ColumnCheck::Resolved;
    std::vector<std::string> lines;
    int readError = 0;
    switch (ReadHeaderLines(file, lines, readError)) {
        case HeaderRead::CannotOpen:
            return ColumnCheck::CannotOpen;
        case HeaderRead::ReadFailed:
            problem = SystemErrorText(readError);
            return ColumnCheck::ReadFailed;
        case HeaderRead::Read:
            break;
    }
    return ResolveColumns(format, lines, layout, description, problem) ? ColumnCheck::Resolved : ColumnCheck::Refused;
}

bool HeaderNamesRecordColumn(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    int readError = 0;
    if (ReadHeaderLines(file, lines, readError) != HeaderRead::Read) return false;
    const std::vector<std::string> names = SplitHeaderFields(lines[kNamesLine]);
    return FindName(names, "RECORD") >= 0 || FindName(names, "RN") >= 0;
}

}  // namespace kelvara
