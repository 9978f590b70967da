// libFuzzer target: the one-pass parse of whole record lines against the
// character reader. Any bytes up to their last line feed are parsed into
// record arrays; each record taken must be exactly the one the character
// reader reads there (values to the bit, status, half hour, date) and end
// where it ends, and where the parse stops, the character reader must
// still have a record to read or have met the end.

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "io/RawStream.h"
#include "io/RecordLines.h"

namespace {

using namespace kelvara;

bool SameRecord(const RawRecord& a, const RawRecord& b) {
    for (int v = 0; v < kVariableCount; ++v) {
        if (std::bit_cast<std::uint32_t>(a.value[v]) != std::bit_cast<std::uint32_t>(b.value[v])) return false;
    }
    return a.status == b.status && a.key == b.key && std::string_view(a.date) == std::string_view(b.date);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("record-lines");
    static auto* const columns = new RecordColumns;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t lastLineFeed = bytes.rfind('\n');
    if (lastLineFeed == std::string_view::npos) return 0;
    const std::string_view lines = bytes.substr(0, lastLineFeed + 1);

    // The parse may read a little past the lines' end, as in a stream's buffer.
    std::vector<char> buffer(lines.begin(), lines.end());
    buffer.resize(lines.size() + RawStream::kPadding, 'x');
    ParseRecordLines(buffer.data(), buffer.data() + lines.size(), *columns);

    const std::filesystem::path file = scratch / "raw.dat";
    fuzz::WriteFile(file, std::string("h\nh\nh\nh\n") + std::string(bytes));
    RawStream stream;
    fuzz::Expect(stream.Open(file), "the scratch file opens");
    for (int line = 0; line < 4; ++line) stream.SkipLine();
    for (int i = 0; i < columns->count; ++i) {
        RawRecord parsed;
        RawRecord read;
        TakeRecord(*columns, i, buffer.data(), parsed);
        fuzz::Expect(ReadWholeRecord(stream, read), "the character reader reads the parsed record",
                     fuzz::Escaped(lines));
        fuzz::Expect(SameRecord(parsed, read), "the parsed record is the one the character reader reads",
                     fuzz::Escaped(lines.substr(columns->LineBegin(i))));
        fuzz::Expect(stream.Consumed() - 8 == std::int64_t{columns->lineEnd[i]}, "the record ends where it ends",
                     fuzz::Escaped(lines.substr(columns->LineBegin(i))));
    }
    return 0;
}
