#pragma once
// Reading one record of a mapped raw file: the line split at its commas, the
// time stamp and the values taken from the columns the layout names, each
// read as the default layout reads its fields.

#include <memory>

#include "io/ColumnLayout.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"

namespace kelvara {

class MappedRecordReader {
public:
    MappedRecordReader();

    // The next line that holds every mapped column, into record; lines with
    // fewer columns are passed over. False once the file has ended.
    bool Read(RawStream& stream, const ColumnLayout& layout, RawRecord& record);

private:
    std::unique_ptr<char[]> line_;  // a line that spans two buffer loads
};

// The fields of one line, [begin, end) without its line end, into record.
// False when the line has fewer columns than the layout needs.
bool ParseMappedLine(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record);

}  // namespace kelvara
