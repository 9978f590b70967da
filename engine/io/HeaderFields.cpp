#include "io/HeaderFields.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "io/FileChecks.h"
#include "io/FileNames.h"

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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

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
    if (!IsRegularFile(file)) return HeaderRead::CannotOpen;
    std::unique_ptr<std::FILE, FileCloser> stream(OpenFile(file, "rb"));
    if (!stream) return HeaderRead::CannotOpen;
    errno = 0;
    for (std::string& line : lines) {
        int c;
        while ((c = std::fgetc(stream.get())) != EOF && c != '\n') {
            if (line.size() < kMaxHeaderLine) line.push_back(static_cast<char>(c));
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (c == EOF) break;
    }
    if (std::ferror(stream.get()) == 0) return HeaderRead::Read;
    readError = errno != 0 ? errno : EIO;
    return HeaderRead::ReadFailed;
}

}  // namespace kelvara
