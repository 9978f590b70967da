#include "io/HeaderFields.h"

#include "io/RawBytes.h"

namespace kelvara {

namespace {

// A header line longer than this is cut; no logger names columns that far.
constexpr std::size_t kMaxHeaderLine = 1 << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Unquoted(std::string_view field) {
    while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
    while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = field.substr(1, field.size() - 2);
    } else if (!field.empty() && field.front() == '"') {
        field.remove_prefix(1);
    }
    while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
    while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
    return field;
}

}  // namespace

std::vector<std::string> SplitHeaderFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t start = at;
        while (at < line.size() && IsBlank(line[at])) ++at;
        // A quoted field may hold commas.
        if (at < line.size() && line[at] == '"') {
            const std::size_t close = line.find('"', at + 1);
            at = close == std::string_view::npos ? line.size() : close + 1;
        }
        while (at < line.size() && line[at] != ',') ++at;
        fields.emplace_back(Unquoted(line.substr(start, at - start)));
        if (at >= line.size()) break;
        ++at;
    }
    return fields;
}

HeaderRead ReadHeaderLines(const std::filesystem::path& file, std::vector<std::string>& lines, int& readError) {
    lines.assign(kHeaderLineCount, std::string());
    readError = 0;
    RawBytes bytes;
    if (!bytes.Open(file)) return HeaderRead::CannotOpen;
    char chunk[4096];
    std::size_t line = 0;
    while (line < lines.size()) {
        const std::size_t got = bytes.Read(chunk, sizeof chunk, readError);
        for (std::size_t i = 0; i < got && line < lines.size(); ++i) {
            if (chunk[i] == '\n') {
                ++line;
            } else if (lines[line].size() < kMaxHeaderLine) {
                lines[line].push_back(chunk[i]);
            }
        }
        // A failure behind the header lines is the readers' to meet, not the header's.
        if (readError != 0 && line < lines.size()) return HeaderRead::ReadFailed;
        if (readError != 0) readError = 0;
        if (got == 0) break;
    }
    for (std::string& text : lines) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
    }
    return HeaderRead::Read;
}

}  // namespace kelvara
