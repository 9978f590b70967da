#pragma once
// Reading one record of a mapped raw file: the line split at its commas, the
// time stamp and the values taken from the columns the layout names, each
// read as the default layout reads its fields.

#include <memory>
#include <string>

#include "io/ColumnLayout.h"
#include "io/LineFields.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"

namespace kelvara {

class MappedRecordReader {
public:
    MappedRecordReader();

    // The next line that holds every mapped column, into record; lines with
    // fewer columns are passed over, a line of any length is read whole.
    // False once the file has ended. A record whose time field has no hour
    // comes with record.badTime set, its field in BadTimeText().
    bool Read(RawStream& stream, const ColumnLayout& layout, RawRecord& record);
    const std::string& BadTimeText() const { return badTimeText_; }

private:
    bool Parse(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record);

    std::string line_;  // a line that spans two buffer loads
    std::string badTimeText_;
};

// The fields of one line, [begin, end) without its line end, into record.
// False when the line has fewer columns than the layout needs. record.badTime
// tells whether the time field held a blank and a colon; timeField gets it.
bool ParseMappedLine(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record,
                     LineField* timeField = nullptr);

}  // namespace kelvara
