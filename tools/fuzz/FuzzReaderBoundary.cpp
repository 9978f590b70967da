// libFuzzer target: where the raw stream's buffer ends must not matter. The
// input's records are read twice: once right behind four short header lines,
// so that they all sit in the first buffer fill, and once behind a first
// header line padded so that a fill ends at an input-chosen byte of the
// records (in the first file and in the second). A record cut by a fill takes
// the character-by-character path, a whole one the buffered line path; both
// reads must give the same blocks, dates, labels and end of the first file.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzBlocks.h"
#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "io/RawReader.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

// RawStream's buffer: each fill reads this many bytes.
constexpr std::size_t kFillSize = std::size_t{1} << 18;

// The four header lines of a file whose records sit in the first fill.
constexpr std::string_view kShortHeader = "h\nh\nh\nh\n";

// A raw file whose four header lines end `shift` bytes before a fill ends.
// The first header line, nearly a fill long, is written once; each call
// rewrites only what follows it, which keeps a run at disk-cache speed.
class PaddedFile {
public:
    static constexpr std::size_t kFirstLine = kFillSize - 8192;

    explicit PaddedFile(fs::path file) : file_(std::move(file)) {
        fuzz::WriteFile(file_, std::string(kFirstLine - 1, 'x') + "\n");
    }
    const fs::path& Path() const { return file_; }

    void Write(std::size_t shift, std::string_view records) const {
        // Three more header lines, the first padded; at least 7 bytes.
        const std::size_t rest = kFillSize - kFirstLine - std::min(shift, kFillSize - kFirstLine - 7);
        const std::string tail = std::string(rest - 5, 'y') + "\nh\nh\n" + std::string(records);
        std::fstream out(file_, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(static_cast<std::streamoff>(kFirstLine));
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        out.close();
        if (!out) fuzz::Fail("cannot write the scratch raw file");
        fs::resize_file(file_, kFirstLine + tail.size());
    }

private:
    fs::path file_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("reader-boundary");
    if (size < 4) return 0;
    // Four bytes choose: whether there is a second file, where its records
    // begin, and at which byte of each file's records a fill ends.
    const bool withSecond = data[0] % 2 != 0;
    const std::string_view records(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::size_t cut = data[1] * records.size() / 256;
    const std::string_view firstRecords = records.substr(0, cut);
    const std::string_view secondRecords = records.substr(cut);
    const std::size_t firstShift = 1 + data[2] * firstRecords.size() / 256;
    const std::size_t secondShift = 1 + data[3] * secondRecords.size() / 256;

    const fs::path first = scratch / "first.dat";
    const fs::path second = scratch / "second.dat";
    fuzz::WriteFile(first, std::string(kShortHeader) + std::string(firstRecords));
    fuzz::WriteFile(second, std::string(kShortHeader) + std::string(secondRecords));
    const std::vector<fuzz::Block> whole = fuzz::ReadAll(first, withSecond ? &second : nullptr);

    static const PaddedFile paddedFirst(scratch / "padded-first.dat");
    static const PaddedFile paddedSecond(scratch / "padded-second.dat");
    paddedFirst.Write(firstShift, firstRecords);
    paddedSecond.Write(secondShift, secondRecords);
    const std::vector<fuzz::Block> cutByFill =
        fuzz::ReadAll(paddedFirst.Path(), withSecond ? &paddedSecond.Path() : nullptr);

    if (!(whole == cutByFill)) {
        fuzz::Fail("the blocks change with the buffer boundary",
                   "fill ends " + std::to_string(firstShift) + " bytes into the first file's records, " +
                       std::to_string(secondShift) + " into the second's\nin one fill:\n" + fuzz::Describe(whole) +
                       "across fills:\n" + fuzz::Describe(cutByFill));
    }
    return 0;
}
