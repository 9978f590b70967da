// libFuzzer target: the range file. Any bytes as range.ini: ReadRangeTexts
// gives each line's text after its first TAB (cut at 19 characters), and
// LoadRangeLimits gives exactly those texts read as atof reads them, the
// defaults for missing lines. Fourteen texts written with WriteRangeTexts
// come back as they were, in a file of labelled CR LF lines, with no
// temporary file left beside it.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "io/NumberText.h"
#include "io/RangeFile.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

constexpr std::size_t kTextWidth = 19;

// The file's lines as a line reader takes them: LF ends a line, a CR just
// before that LF is dropped, a last line without LF still counts. At most
// the first 14.
std::vector<std::string> ExpectedLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty() && lines.size() < kRangeFieldCount) {
        const std::size_t lineFeed = bytes.find('\n');
        std::string line(bytes.substr(0, lineFeed));
        if (lineFeed == std::string_view::npos) {
            bytes = {};
        } else {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            bytes.remove_prefix(lineFeed + 1);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string ExpectedText(const std::string& line) {
    const std::size_t tab = line.find('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1, kTextWidth);
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckReadAndLoad(const fs::path& file, std::string_view bytes) {
    fuzz::WriteFile(file, bytes);
    const std::vector<std::string> lines = ExpectedLines(bytes);
    RangeTexts texts;
    fuzz::Expect(ReadRangeTexts(texts, file), "ReadRangeTexts cannot read a readable file");
    for (std::size_t i = 0; i < kRangeFieldCount; ++i) {
        const std::string expected = i < lines.size() ? ExpectedText(lines[i]) : std::string();
        if (texts[i] != expected) {
            fuzz::Fail("ReadRangeTexts gives another text", "line " + std::to_string(i + 1) + ": expected \"" +
                                                                fuzz::Escaped(expected) + "\", read \"" +
                                                                fuzz::Escaped(texts[i]) + "\"");
        }
    }
    RangeLimits limits;
    fuzz::Expect(LoadRangeLimits(limits, file), "LoadRangeLimits cannot read a readable file");
    const RangeLimits defaults = BuiltInRangeLimits();
    for (int i = 0; i < kRangeFieldCount; ++i) {
        const auto line = static_cast<std::size_t>(i);
        const float expected = line < lines.size() ? AtofToFloat(texts[line]) : defaults.Field(i);
        if (!SameBits(expected, limits.Field(i))) {
            fuzz::Fail("LoadRangeLimits differs from atof of the texts",
                       std::string(kRangeLabels[line]) + ": text \"" + fuzz::Escaped(texts[line]) + "\" reads " +
                           std::to_string(expected) + ", loaded " + std::to_string(limits.Field(i)));
        }
    }
}

// Fourteen texts from the bytes: pieces between line feeds, each cut to the
// width that a read keeps. A text may hold anything but a line feed.
RangeTexts TextsToWrite(std::string_view bytes) {
    RangeTexts texts;
    for (std::string& text : texts) {
        const std::size_t lineFeed = bytes.find('\n');
        text = std::string(bytes.substr(0, std::min(lineFeed, kTextWidth)));
        bytes = lineFeed == std::string_view::npos ? std::string_view() : bytes.substr(lineFeed + 1);
    }
    return texts;
}

void CheckWriteAndReadBack(const fuzz::ScratchFolder& scratch, const fs::path& file, std::string_view bytes) {
    const RangeTexts written = TextsToWrite(bytes);
    fuzz::Expect(WriteRangeTexts(written, file), "WriteRangeTexts fails in a writable folder");

    std::string expectedFile;
    for (std::size_t i = 0; i < kRangeFieldCount; ++i) {
        expectedFile += std::string(kRangeLabels[i]) + "\t" + written[i] + "\r\n";
    }
    const auto actualFile = fuzz::ReadFile(file);
    fuzz::Expect(
        actualFile == expectedFile, "WriteRangeTexts writes other bytes",
        "expected \"" + fuzz::Escaped(expectedFile) + "\"\nwritten \"" + fuzz::Escaped(actualFile.value_or("")) + "\"");
    const auto entries = fuzz::Snapshot(scratch.Path());
    fuzz::Expect(entries.size() == 1, "WriteRangeTexts leaves a file beside the range file");

    RangeTexts read;
    fuzz::Expect(ReadRangeTexts(read, file), "ReadRangeTexts cannot read what WriteRangeTexts wrote");
    for (std::size_t i = 0; i < kRangeFieldCount; ++i) {
        fuzz::Expect(read[i] == written[i], "a written text reads back otherwise",
                     "wrote \"" + fuzz::Escaped(written[i]) + "\", read \"" + fuzz::Escaped(read[i]) + "\"");
    }
}

// A folder where the file should be: nothing reads, nothing is written, and
// no temporary is left.
void CheckFolderInItsPlace(const fuzz::ScratchFolder& scratch, const fs::path& file, std::string_view bytes) {
    fs::create_directory(file);
    RangeTexts texts;
    fuzz::Expect(!ReadRangeTexts(texts, file), "ReadRangeTexts reads a folder");
    RangeLimits limits;
    fuzz::Expect(!LoadRangeLimits(limits, file), "LoadRangeLimits reads a folder");
    fuzz::Expect(!WriteRangeTexts(TextsToWrite(bytes), file), "WriteRangeTexts replaces a folder");
    fuzz::Expect(fuzz::Snapshot(scratch.Path()).size() == 1, "a failed WriteRangeTexts leaves a file behind");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("range-file");
    const fs::path file = scratch / "range.ini";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    scratch.Clear();
    if (size > 0 && data[0] == '!') {
        CheckFolderInItsPlace(scratch, file, bytes.substr(1));
        return 0;
    }
    CheckReadAndLoad(file, bytes);
    // Written over the file just read, as the range setting does.
    CheckWriteAndReadBack(scratch, file, bytes);
    return 0;
}
