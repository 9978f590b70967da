#include "io/ResultsFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "io/FileNames.h"
#include "io/NumberText.h"

namespace kelvara {

namespace {

char* AppendText(char* out, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

char* AppendTime(char* out, const char* date, const char* label) {
    out = AppendText(out, date);
    *out++ = ' ';
    return AppendText(out, label);
}

char* AppendValue(char* out, float value) {
    *out++ = ',';
    return out + FormatGeneral(value, out);
}

}  // namespace

std::string_view ResultsSuffix(Rotation rotation) { return rotation == Rotation::PlanarFit ? ".rfw" : ".r1w"; }

std::string_view ResultsSuffix(Rotation rotation, Methods methods) {
    if (methods == Methods::Default) return ResultsSuffix(rotation);
    return rotation == Rotation::PlanarFit ? ".sfw" : ".s1w";
}

ResultsFile::~ResultsFile() { Close(); }

bool ResultsFile::Create(const std::filesystem::path& file) {
    Close();
    lastError_ = ReasonCannotReplace(file);
    if (lastError_ != 0) return false;
    if (!temporary_.Create(file)) {
        lastError_ = temporary_.LastError();
        return false;
    }
    file_ = temporary_.Stream();
    return true;
}

bool ResultsFile::Close() {
    if (file_ == nullptr) return true;
    file_ = nullptr;
    if (temporary_.Commit()) return true;
    lastError_ = temporary_.LastError();
    return false;
}

bool ResultsFile::Finish(TemporaryFile& finished) {
    finished = TemporaryFile{};
    if (file_ == nullptr) return true;
    file_ = nullptr;
    if (!temporary_.Close()) {
        lastError_ = temporary_.LastError();
        return false;
    }
    finished = std::move(temporary_);
    return true;
}

bool ResultsFile::WriteLine(const char* text, std::size_t length) {
    if (file_ == nullptr) return false;
    errno = 0;
    const bool written = std::fwrite(text, 1, length, file_) == length && std::fwrite("\r\n", 1, 2, file_) == 2;
    // Flushed line by line, so that a full disk shows at the line it cut.
    const bool flushed = std::fflush(file_) == 0;
    if (!(written && flushed)) lastError_ = errno;
    return written && flushed;
}

bool ResultsFile::WriteHeader() { return WriteLine(kResultsHeader.data(), kResultsHeader.size()); }

bool ResultsFile::WriteBlockLine(const char* date, const char* label, const FluxResult& result) {
    char line[kMaxBlockLineLength];
    const int length = FormatBlockLine(date, label, result, line);
    return WriteLine(line, static_cast<std::size_t>(length));
}

bool ResultsFile::WriteRejectedLine(const char* date, const char* label) {
    char line[kMaxBlockLineLength];
    char* end = AppendTime(line, date, label);
    end = AppendText(end, ",,,,,,,,,,,,,,,,");
    return WriteLine(line, static_cast<std::size_t>(end - line));
}

int FormatBlockLine(const char* date, const char* label, const FluxResult& result, char* out) {
    char* end = AppendTime(out, date, label);
    for (const auto field : kFluxResultFloats) end = AppendValue(end, result.*field);
    end += std::snprintf(end, 16, ",%d", result.Records);
    return static_cast<int>(end - out);
}

}  // namespace kelvara
