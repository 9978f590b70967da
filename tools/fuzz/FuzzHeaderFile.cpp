// libFuzzer target: a raw file's four header lines, read from the file. The
// input's bytes give four lines of any bytes (a carriage return, a null, a
// line longer than the reader keeps or than a buffer fill), written before
// the same records each time. Whatever the lines:
//   - the header lines read are the lines written, each without its line
//     end and cut at the length the reader keeps;
//   - the columns found from the file ("auto", and a map the input names)
//     are those found from the lines themselves;
//   - the records behind them read as they do behind four short lines.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzBlocks.h"
#include "FuzzCheck.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"
#include "io/ColumnLayout.h"
#include "io/HeaderFields.h"
#include "io/InputFormat.h"

namespace {

using namespace kelvara;

// What the header reader keeps of a line.
constexpr std::size_t kKeptLength = std::size_t{1} << 16;
constexpr std::size_t kLongestLine = std::size_t{300} << 10;  // past a buffer fill of 256 KiB

struct Resolved {
    bool resolved;
    ColumnLayout layout;
    std::string description, problem;

    bool operator==(const Resolved& other) const {
        if (resolved != other.resolved || description != other.description || problem != other.problem) return false;
        if (!resolved) return true;
        const ColumnLayout& a = layout;
        const ColumnLayout& b = other.layout;
        return a.mapped == b.mapped && a.lastColumn == b.lastColumn &&
               std::equal(std::begin(a.column), std::end(a.column), std::begin(b.column)) &&
               std::equal(std::begin(a.conversion), std::end(a.conversion), std::begin(b.conversion));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("header-file");
    static const std::string records = fuzz::TowerRecords(10, 20, 21);
    FuzzedDataProvider input(data, size);
    const std::string mapText = input.ConsumeRandomLengthString(80);
    std::string header;
    std::vector<std::string> expected;
    for (int i = 0; i < kHeaderLineCount; ++i) {
        std::string line = input.ConsumeRandomLengthString(200);
        line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
        // A line repeated to any length, some past what the reader keeps.
        const auto repeat = input.ConsumeIntegral<std::uint8_t>();
        if (repeat >= 240 && !line.empty()) {
            const std::size_t length = (repeat - 239) * kLongestLine / 16;
            std::string longer;
            while (longer.size() < length) longer += line;
            line = std::move(longer);
        }
        const bool crlf = input.ConsumeBool();
        header += line + (crlf ? "\r\n" : "\n");
        // One carriage return before the line feed is the line end's.
        std::string kept = (line + (crlf ? "\r" : "")).substr(0, kKeptLength);
        if (!kept.empty() && kept.back() == '\r') kept.pop_back();
        expected.push_back(std::move(kept));
    }
    const auto file = scratch / "header.dat";
    const auto plain = scratch / "plain.dat";
    fuzz::WriteFile(file, header + records);
    fuzz::WriteFile(plain, "h\nh\nh\nh\n" + records);

    std::vector<std::string> lines;
    int readError = 0;
    fuzz::Expect(ReadHeaderLines(file, lines, readError) == HeaderRead::Read, "the header lines do not read");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        fuzz::Expect(lines[i] == expected[i], "a header line reads otherwise",
                     "line " + std::to_string(i + 1) + ": \"" + fuzz::Escaped(lines[i]) + "\" for \"" +
                         fuzz::Escaped(expected[i]) + "\"");
    }

    std::vector<InputFormat> formats(1);
    formats[0].source = ColumnSource::Auto;
    InputFormat mapped;
    std::string problem;
    if (ParseColumns(mapText, mapped, problem)) formats.push_back(mapped);
    for (const InputFormat& format : formats) {
        Resolved fromFile, fromLines;
        fromFile.resolved = ResolveFileColumns(file, format, fromFile.layout, fromFile.description, fromFile.problem) ==
                            ColumnCheck::Resolved;
        fromLines.resolved =
            ResolveColumns(format, expected, fromLines.layout, fromLines.description, fromLines.problem);
        fuzz::Expect(fromFile == fromLines, "the columns found from the file differ from the header lines'",
                     "columns \"" + fuzz::Escaped(ColumnsText(format)) + "\": \"" + fromFile.problem + "\" / \"" +
                         fromLines.problem + "\"");
    }

    const std::vector<fuzz::Block> behindHeader = fuzz::ReadAll(file, nullptr);
    const std::vector<fuzz::Block> behindShort = fuzz::ReadAll(plain, nullptr);
    fuzz::Expect(behindHeader == behindShort, "the records read otherwise behind these header lines",
                 fuzz::Describe(behindHeader) + "behind four short lines:\n" + fuzz::Describe(behindShort));
    return 0;
}
