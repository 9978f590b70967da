#include "io/RangeFile.h"

#include <fstream>
#include <string_view>
#include <system_error>

#include "io/FileNames.h"
#include "io/NumberText.h"
#include "io/WindowsDirectory.h"

namespace kelvara {

const std::array<const char*, kRangeFieldCount> kRangeLabels = {
    "U-Min",   "U-Max",   "V-Min",  "V-Max",  "W-Min", "W-Max", "CO2-Min",
    "CO2-Max", "H2O-Min", "H2O-Max", "Ts-Min", "Ts-Max", "P-Min", "P-Max"};

namespace {

constexpr std::size_t kFieldWidth = 19;

// One file line is one label/value pair: the value is what follows the first
// TAB, both cut at 19 characters, so an over-long text never shifts the
// lines after it.
std::string ValueTextOfLine(std::string_view line) {
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) return std::string();
    return std::string(line.substr(tab + 1, kFieldWidth));
}

// Reads up to 14 lines (LF ends a line; a CR in front of it is dropped).
// Returns how many value texts were read.
int ReadValueTexts(std::istream& in, RangeTexts& texts) {
    std::string line;
    int count = 0;
    while (count < kRangeFieldCount && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r' && !in.eof()) line.pop_back();
        texts[static_cast<std::size_t>(count++)] = ValueTextOfLine(line);
    }
    return count;
}

bool OpenForReading(std::ifstream& in, const std::filesystem::path& file) {
    if (IsDirectory(file)) return false;
    in.open(file, std::ios::binary);
    return in.is_open();
}

bool WriteLines(const std::filesystem::path& file, const RangeTexts& texts) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (int i = 0; i < kRangeFieldCount; ++i) {
        out << kRangeLabels[static_cast<std::size_t>(i)] << '\t'
            << texts[static_cast<std::size_t>(i)] << "\r\n";
    }
    out.flush();
    if (!out) return false;
    out.close();
    return !out.fail();
}

}  // namespace

std::filesystem::path RangeFilePath() { return RangeFileIn(WindowsDirectory()); }

bool LoadRangeLimits(RangeLimits& limits) { return LoadRangeLimits(limits, RangeFilePath()); }

bool LoadRangeLimits(RangeLimits& limits, const std::filesystem::path& file) {
    limits = DefaultRangeLimits();
    std::ifstream in;
    if (!OpenForReading(in, file)) return false;
    RangeTexts texts;
    const int count = ReadValueTexts(in, texts);
    for (int i = 0; i < count; ++i) limits.Field(i) = AtofToFloat(texts[static_cast<std::size_t>(i)]);
    return true;
}

bool LoadRangeLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& file) {
    return file ? LoadRangeLimits(limits, *file) : LoadRangeLimits(limits);
}

bool ReadRangeTexts(RangeTexts& texts) { return ReadRangeTexts(texts, RangeFilePath()); }

bool ReadRangeTexts(RangeTexts& texts, const std::filesystem::path& file) {
    texts = RangeTexts{};
    std::ifstream in;
    if (!OpenForReading(in, file)) return false;
    ReadValueTexts(in, texts);
    return true;
}

bool WriteRangeTexts(const RangeTexts& texts) { return WriteRangeTexts(texts, RangeFilePath()); }

bool WriteRangeTexts(const RangeTexts& texts, const std::filesystem::path& file) {
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    if (!WriteLines(temporary, texts)) {
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, file, renamed);
    if (renamed) {
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace kelvara
