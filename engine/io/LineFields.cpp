#include "io/LineFields.h"

namespace kelvara {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Past a quoted text that begins at p: its closing quote, a doubled quote
// being part of the text.
const char* PastQuoted(const char* p, const char* end) {
    for (++p; p < end; ++p) {
        if (*p != '"') continue;
        if (p + 1 < end && p[1] == '"') {
            ++p;
            continue;
        }
        return p + 1;
    }
    return end;
}

}  // namespace

int SplitLineFields(const char* begin, const char* end, LineField* fields, int maxFields) {
    int count = 0;
    const char* p = begin;
    while (count < maxFields) {
        const char* const start = p;
        const char* q = p;
        while (q < end && IsBlank(*q)) ++q;
        if (q < end && *q == '"') p = PastQuoted(q, end);
        while (p < end && *p != ',') ++p;
        fields[count++] = LineField{start, p};
        if (p == end) break;
        ++p;
    }
    return count;
}

}  // namespace kelvara
