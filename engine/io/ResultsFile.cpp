#include "io/ResultsFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "io/FileChecks.h"
#include "io/NumberText.h"

namespace kelvara {

namespace {

char* AppendText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// The fifteen columns in %g, then the records as an integer.
template <class Result, std::size_t kCount>
int FormatColumns(std::string_view time, const Result& result, const std::array<float Result::*, kCount>& floats,
                  char* out) {
    char* end = AppendText(out, time);
    for (const auto field : floats) {
        *end++ = ',';
        end += FormatGeneral(result.*field, end);
    }
    end += std::snprintf(end, 16, ",%d", result.Records);
    return static_cast<int>(end - out);
}

}  // namespace

std::string_view ResultsSuffix(Rotation rotation, Methods methods) {
    const bool plane = rotation == Rotation::PlanarFit;
    switch (methods) {
        case Methods::Default:
            return plane ? ".rfw" : ".r1w";
        case Methods::Standard:
            return plane ? ".sfw" : ".s1w";
        case Methods::Corrected:
            break;
    }
    return ".flux.csv";
}

ResultsFile::~ResultsFile() { Close(); }

bool ResultsFile::Create(const std::filesystem::path& file, std::string_view lineEnd) {
    Close();
    lineEnd_ = lineEnd;
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

bool ResultsFile::KeepPartial() {
    if (file_ == nullptr) return false;
    file_ = nullptr;
    auto partial = temporary_.Target();
    partial += kPartialSuffix;
    return temporary_.KeepAs(partial);
}

bool ResultsFile::Finish(TemporaryFile& finished) {
    finished = TemporaryFile{};
    if (file_ == nullptr) return true;
    file_ = nullptr;
    const bool closed = temporary_.Close();
    if (!closed) lastError_ = temporary_.LastError();
    finished = std::move(temporary_);
    return closed;
}

bool ResultsFile::WriteLine(std::string_view text) {
    if (file_ == nullptr) return false;
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                         std::fwrite(lineEnd_.data(), 1, lineEnd_.size(), file_) == lineEnd_.size();
    // Flushed line by line, so that a full disk shows at the line it cut.
    const bool flushed = std::fflush(file_) == 0;
    if (!(written && flushed)) lastError_ = errno;
    return written && flushed;
}

bool ResultsFile::WriteLines(std::string_view lines) {
    if (file_ == nullptr) return false;
    errno = 0;
    const bool written = std::fwrite(lines.data(), 1, lines.size(), file_) == lines.size();
    const bool flushed = std::fflush(file_) == 0;
    if (!(written && flushed)) lastError_ = errno;
    return written && flushed;
}

int FormatBlockLine(std::string_view time, const FluxResult& result, char* out) {
    return FormatColumns(time, result, kFluxResultFloats, out);
}

int FormatBlockLine(std::string_view time, const StandardResult& result, char* out) {
    return FormatColumns(time, result, kStandardResultFloats, out);
}

int FormatRejectedLine(std::string_view time, char* out) {
    return static_cast<int>(AppendText(AppendText(out, time), ",,,,,,,,,,,,,,,,") - out);
}

}  // namespace kelvara
