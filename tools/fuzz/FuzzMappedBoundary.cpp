// libFuzzer target: a mapped raw file reads as the same records in the
// default layout. The input's bytes make records (time steps, number texts,
// NaNs, statuses) written twice: once in the default layout, once with the
// columns in an input-chosen order beside a quoted text column of up to
// 70,000 characters (with commas and doubled quotes in it), behind a first
// header line padded so that the buffer's fills end anywhere. Read with the
// map that names the shuffled columns, the second file must give the blocks,
// dates and labels of the first.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzBlocks.h"
#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "io/ColumnLayout.h"
#include "io/InputFormat.h"

namespace {

using namespace kelvara;

constexpr std::size_t kMaxRecords = 200;
constexpr std::size_t kFillSize = std::size_t{1} << 18;  // RawStream's buffer
constexpr std::size_t kLongText = 70000;

// The fields of a record in the default layout: the time stamp, the seven
// values, the status; then the mapped file's own: a text and a filler.
constexpr std::size_t kFieldCount = 11;
constexpr std::size_t kTextField = 9;
constexpr std::size_t kFillerField = 10;

std::string NumberText(std::uint8_t byte) {
    if (byte >= 250) return "NAN";
    const int value = static_cast<int>(byte) - 120;
    char text[32];
    switch (byte % 4) {
        case 0:
            std::snprintf(text, sizeof text, "%d", value);
            break;
        case 1:
            std::snprintf(text, sizeof text, "%.2f", value * 0.37);
            break;
        case 2:
            std::snprintf(text, sizeof text, "%.3e", value * 1.3e-3);
            break;
        default:
            std::snprintf(text, sizeof text, "%.7g", 700.0 + value / 7.0);
            break;
    }
    return text;
}

// A quoted text of `length` characters with commas and doubled quotes in it.
std::string QuotedText(std::size_t length) {
    std::string text = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        if (i % 97 == 5) {
            text += ',';
        } else if (i % 89 == 7) {
            text += "\"\"";
        } else {
            text += static_cast<char>('a' + i % 26);
        }
    }
    return text + "\"";
}

struct Files {
    std::string byDefault;
    std::string mapped;
    std::string map;
};

Files MakeFiles(FuzzedDataProvider& input) {
    const std::string end = input.ConsumeBool() ? "\r\n" : "\n";
    const std::size_t padding = input.ConsumeIntegralInRange<std::size_t>(0, kFillSize);
    std::array<std::size_t, kFieldCount> order;  // order[c]: the field in the mapped file's column c
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = kFieldCount - 1; i > 0; --i) {
        std::swap(order[i], order[input.ConsumeIntegralInRange<std::size_t>(0, i)]);
    }

    Files files;
    files.byDefault = "h" + end + "h" + end + "h" + end + "h" + end;
    std::string names;
    for (std::size_t c = 0; c < kFieldCount; ++c) names += (c > 0 ? ",c" : "c") + std::to_string(c + 1);
    files.mapped = "TOA5," + std::string(padding, 'p') + end + names + end + end + end;
    std::array<std::string, kFieldCount> fields;
    int minute = 0, second = 0;
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, kMaxRecords);
    for (std::size_t r = 0; r < count && input.remaining_bytes() > 0; ++r) {
        const auto step = input.ConsumeIntegral<std::uint8_t>();
        if (step < 200) {
            second += 7;
        } else {
            minute += step - 199;
        }
        minute += second / 60;
        second %= 60;
        char stamp[48];
        std::snprintf(stamp, sizeof stamp, "\"2024-06-%02d %02d:%02d:%02d\"", 1 + minute / 1440, minute / 60 % 24,
                      minute % 60, second);
        fields[0] = stamp;
        for (std::size_t v = 1; v <= 7; ++v) fields[v] = NumberText(input.ConsumeIntegral<std::uint8_t>());
        fields[8] = std::to_string(input.ConsumeIntegral<std::uint8_t>() % 20);
        const auto textByte = input.ConsumeIntegral<std::uint8_t>();
        fields[kTextField] = QuotedText(textByte < 250 ? textByte % 8 : (textByte - 249) * (kLongText / 6));
        fields[kFillerField] = "0";

        for (std::size_t f = 0; f < kTextField; ++f) files.byDefault += (f > 0 ? "," : "") + fields[f];
        files.byDefault += end;
        for (std::size_t c = 0; c < kFieldCount; ++c) files.mapped += (c > 0 ? "," : "") + fields[order[c]];
        files.mapped += end;
    }
    // The map names each field's column (1-based).
    for (int target = 0; target < kMapTargetCount; ++target) {
        const auto column = std::find(order.begin(), order.end(), static_cast<std::size_t>(target)) - order.begin() + 1;
        files.map += (target > 0 ? "," : "") + std::string(MapTargetName(target)) + "=" + std::to_string(column);
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("mapped-boundary");
    FuzzedDataProvider input(data, size);
    const Files files = MakeFiles(input);
    const auto byDefault = scratch / "default.dat";
    const auto mapped = scratch / "mapped.dat";
    fuzz::WriteFile(byDefault, files.byDefault);
    fuzz::WriteFile(mapped, files.mapped);

    InputFormat format;
    std::string problem, description;
    fuzz::Expect(ParseColumns(files.map, format, problem), "a map of every column is refused",
                 files.map + ": " + problem);
    ColumnLayout layout;
    fuzz::Expect(ResolveFileColumns(mapped, format, layout, description, problem) == ColumnCheck::Resolved,
                 "a map of the file's own columns does not fit it", files.map + ": " + problem);

    const std::vector<fuzz::Block> expected = fuzz::ReadAll(byDefault, nullptr);
    const std::vector<fuzz::Block> read = fuzz::ReadAll(mapped, nullptr, layout);
    if (!(expected == read)) {
        fuzz::Fail("a mapped file reads otherwise than the same records in the default layout",
                   "map " + files.map + "\ndefault layout:\n" + fuzz::Describe(expected) + "mapped:\n" +
                       fuzz::Describe(read) + "default file: " + fuzz::Escaped(files.byDefault, 1500));
    }
    return 0;
}
