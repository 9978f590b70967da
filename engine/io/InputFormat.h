#pragma once
// How the user says a raw file's columns are laid out: the default layout,
// names from the file's header (always, or when it names every column), or
// an explicit map; which status values keep
// a record; whether the header's units are checked.

#include <array>
#include <string>
#include <string_view>

#include "io/StatusRule.h"

namespace kelvara {

// Positions: the raw format's own layout; Auto: names from the header; Map:
// the columns the user names; Detect: names from the header when its second
// line names every column, else positions (a logger table then reads right
// without a word from the user, and a default-layout file as it always did).
enum class ColumnSource { Positions, Auto, Map, Detect };

// What a map assigns a column to: the time stamp, the seven values in the
// variables' order, and the status.
enum MapTarget : int { kMapTime, kMapU, kMapV, kMapW, kMapCO2, kMapH2O, kMapTs, kMapP, kMapStatus, kMapTargetCount };

// "time", "U", ..., "status", as the map text spells them.
std::string_view MapTargetName(int target);

// A variable's target.
constexpr int MapTargetOfVariable(int variable) { return kMapU + variable; }

struct InputFormat {
    ColumnSource source = ColumnSource::Detect;
    // With a map: each target's header name or 1-based column number, as
    // typed; an empty time takes the first column.
    std::array<std::string, kMapTargetCount> map;
    StatusRule goodStatus;
    bool checkUnits = true;  // with names from the header

    // Positions whatever the header says; no header is read.
    bool ReadsByPosition() const { return source == ColumnSource::Positions; }
};

// Reads the columns text: "detect", "default", "auto", or a map "U=Ux,V=Uy,...,status=diag"
// that names every target but the time. False, with problem set, otherwise.
bool ParseColumns(std::string_view text, InputFormat& format, std::string& problem);

// The columns text that ParseColumns reads back into format's source and map.
std::string ColumnsText(const InputFormat& format);

}  // namespace kelvara
