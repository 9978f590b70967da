#pragma once
// The comma-separated fields of one line, as CSV reads them: a field that
// begins (after blanks) with a double quote runs to its closing quote, a
// doubled quote inside it standing for one, so commas inside quotes never
// shift the columns.

#include <cstddef>

namespace kelvara {

struct LineField {
    const char* begin;
    const char* end;  // the field's characters, quotes and blanks included
};

// The fields of [begin, end) (without its line end) into fields, at most
// maxFields of them; returns how many there are, up to maxFields.
int SplitLineFields(const char* begin, const char* end, LineField* fields, int maxFields);

}  // namespace kelvara
