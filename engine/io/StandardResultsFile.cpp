#include "io/StandardResultsFile.h"

#include <cstdio>
#include <cstring>

#include "io/NumberText.h"

namespace kelvara {

namespace {

constexpr std::string_view kRejectedFields = ",,,,,,,,,,,,,,,,";

char* AppendText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

int FormatStandardLine(const char* time, const StandardResult& result, char* out) {
    char* end = AppendText(out, time);
    for (const auto field : kStandardResultFloats) {
        *end++ = ',';
        end += FormatGeneral(result.*field, end);
    }
    end += std::snprintf(end, 16, ",%d", result.Records);
    return static_cast<int>(end - out);
}

bool StandardResultsFile::WriteBlockLine(const char* time, const StandardResult& result) {
    char line[kMaxBlockLineLength];
    const int length = FormatStandardLine(time, result, line);
    return file_.WriteLine(line, static_cast<std::size_t>(length));
}

bool StandardResultsFile::WriteRejectedLine(const char* time) {
    char line[kMaxBlockLineLength];
    char* end = AppendText(line, time);
    end = AppendText(end, kRejectedFields);
    return file_.WriteLine(line, static_cast<std::size_t>(end - line));
}

}  // namespace kelvara
