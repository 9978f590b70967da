#include "io/RangeFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/NumberText.h"
#include "io/TemporaryFile.h"
#include "io/WindowsDirectory.h"

namespace kelvara {

const std::array<const char*, kRangeFieldCount> kRangeLabels = {"U-Min",  "U-Max",   "V-Min",   "V-Max",   "W-Min",
                                                                "W-Max",  "CO2-Min", "CO2-Max", "H2O-Min", "H2O-Max",
                                                                "Ts-Min", "Ts-Max",  "P-Min",   "P-Max"};

namespace {

constexpr std::size_t kFieldWidth = 19;

// Reads one line (LF ends it; a CR in front of the LF is dropped) and keeps
// its value text: what follows the first TAB, cut at 19 characters, so an
// over-long text never shifts the lines after it. Only what could be kept is
// stored, so a line of any length costs no memory. False at the end of the
// file before any character.
bool ReadValueText(std::FILE* in, std::string& value) {
    value.clear();
    int c = std::getc(in);
    if (c == EOF) return false;
    bool afterTab = false;
    std::size_t valueLength = 0;  // the whole value's, kept or not
    int last = 0;
    bool endedByLineFeed = false;
    for (; c != EOF; c = std::getc(in)) {
        if (c == '\n') {
            endedByLineFeed = true;
            break;
        }
        if (afterTab) {
            ++valueLength;
            if (value.size() <= kFieldWidth) value.push_back(static_cast<char>(c));
        } else if (c == '\t') {
            afterTab = true;
        }
        last = c;
    }
    // The CR of a CR LF belongs to the line end, also when it would be the
    // twentieth character of the value.
    if (endedByLineFeed && last == '\r' && valueLength == value.size() && !value.empty()) value.pop_back();
    if (value.size() > kFieldWidth) value.resize(kFieldWidth);
    return true;
}

// Reads up to 14 lines. Returns how many value texts were read.
int ReadValueTexts(std::FILE* in, RangeTexts& texts) {
    int count = 0;
    while (count < kRangeFieldCount && ReadValueText(in, texts[static_cast<std::size_t>(count)])) ++count;
    return count;
}

// A range file is a regular file: a pipe or a device would block or never end.
std::FILE* OpenForReading(const std::filesystem::path& file) {
    if (!IsRegularFile(file)) return nullptr;
    return OpenFile(file, "rb");
}

bool WriteLines(std::FILE* out, const RangeTexts& texts) {
    bool written = true;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        written = written && std::fputs(kRangeLabels[i], out) >= 0 && std::fputc('\t', out) != EOF &&
                  std::fwrite(texts[i].data(), 1, texts[i].size(), out) == texts[i].size() &&
                  std::fputs("\r\n", out) >= 0;
    }
    return written && std::fflush(out) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A whole number text, blanks around it aside: what atof reads with nothing
// left over.
bool ReadsAsNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              hex ? std::chars_format::hex : std::chars_format::general);
    return error != std::errc::invalid_argument && end == text.data() + text.size();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string RangeLoad::SourceName() const { return fromFile ? file.filename().string() : "built-in"; }

RangeLoad LoadJobRangeLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& file) {
    RangeLoad load{.file = file.value_or(RangeFilePath())};
    limits = BuiltInRangeLimits();
    std::FILE* in = OpenForReading(load.file);
    if (in == nullptr) return load;
    load.fromFile = true;
    RangeTexts texts;
    errno = 0;
    const int count = ReadValueTexts(in, texts);
    if (std::ferror(in) != 0) load.readError = errno != 0 ? errno : EIO;
    std::fclose(in);
    for (int i = 0; i < count; ++i) {
        const std::string& text = texts[static_cast<std::size_t>(i)];
        limits.Field(i) = AtofToFloat(text);
        if (ReadsAsNumber(text)) continue;
        char value[32];
        FormatGeneral(limits.Field(i), value);
        load.unreadValues.push_back("line " + std::to_string(i + 1) + ": " + kRangeLabels[static_cast<std::size_t>(i)] +
                                    " " + Quoted(text) + " is no number and reads as " + value);
    }
    if (count < kRangeFieldCount) {
        const std::string missing = std::string(kRangeLabels[static_cast<std::size_t>(count)]) +
                                    (count + 1 < kRangeFieldCount ? " to P-Max" : "");
        load.unreadValues.push_back("has " + std::to_string(count) + " of " + std::to_string(kRangeFieldCount) +
                                    " lines: the built-in limits stand for " + missing);
    }
    return load;
}

std::filesystem::path RangeFilePath() { return RangeFileIn(WindowsDirectory()); }

bool LoadRangeLimits(RangeLimits& limits) { return LoadRangeLimits(limits, RangeFilePath()); }

bool LoadRangeLimits(RangeLimits& limits, const std::filesystem::path& file) {
    limits = BuiltInRangeLimits();
    std::FILE* in = OpenForReading(file);
    if (in == nullptr) return false;
    RangeTexts texts;
    const int count = ReadValueTexts(in, texts);
    std::fclose(in);
    for (int i = 0; i < count; ++i) limits.Field(i) = AtofToFloat(texts[static_cast<std::size_t>(i)]);
    return true;
}

bool LoadRangeLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& file) {
    return file ? LoadRangeLimits(limits, *file) : LoadRangeLimits(limits);
}

bool ReadRangeTexts(RangeTexts& texts) { return ReadRangeTexts(texts, RangeFilePath()); }

bool ReadRangeTexts(RangeTexts& texts, const std::filesystem::path& file) {
    texts = RangeTexts{};
    std::FILE* in = OpenForReading(file);
    if (in == nullptr) return false;
    ReadValueTexts(in, texts);
    std::fclose(in);
    return true;
}

bool WriteRangeTexts(const RangeTexts& texts) { return WriteRangeTexts(texts, RangeFilePath()); }

bool WriteRangeTexts(const RangeTexts& texts, const std::filesystem::path& file) {
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    TemporaryFile temporary;
    if (!temporary.Create(file)) return false;
    if (!WriteLines(temporary.Stream(), texts)) return false;  // the temporary goes with it
    return temporary.Commit();
}

}  // namespace kelvara
