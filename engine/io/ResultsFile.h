#pragma once
// The comma-separated results file of both processing jobs.

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "io/TemporaryFile.h"
#include "pipeline/FluxResult.h"
#include "pipeline/Methods.h"
#include "pipeline/Rotation.h"

namespace kelvara {

inline constexpr std::string_view kResultsHeader =
    "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,"
    "LE_leuning,Fc_leuning,Records";

// ".r1w" for the 2-axis rotation, ".rfw" for the planar fit.
std::string_view ResultsSuffix(Rotation rotation);
// The standard methods write ".s1w" (double rotation) and ".sfw" (planar
// fit), so that their files never take the place of default ones.
std::string_view ResultsSuffix(Rotation rotation, Methods methods);

// Writes CR LF line ends on every platform. The lines go to a private
// temporary beside the results file, which Close renames into place: until
// then the results file is as it was, and a killed run leaves only the
// temporary, never a finished-looking file.
class ResultsFile {
public:
    ResultsFile() = default;
    ~ResultsFile();
    ResultsFile(const ResultsFile&) = delete;
    ResultsFile& operator=(const ResultsFile&) = delete;

    // False when the file could not be written in place of what is there:
    // a directory, a file the user may not write, or a folder that is not
    // there or takes no new file.
    bool Create(const std::filesystem::path& file);
    // Puts what was written in place of the results file. False (with
    // LastError set) when the close or the rename failed.
    bool Close();
    // Closes what was written but leaves it under its temporary name, handed
    // to finished (empty when nothing was open), for a later Commit. False
    // (with LastError set, the temporary removed) when the close failed.
    bool Finish(TemporaryFile& finished);
    bool IsOpen() const { return file_ != nullptr; }

    // Each returns false when the write failed.
    bool WriteHeader();
    bool WriteBlockLine(const char* date, const char* label, const FluxResult& result);
    bool WriteRejectedLine(const char* date, const char* label);
    // One line of any text; the line end is added.
    bool WriteLine(const char* text, std::size_t length);

    // The errno of the last failed create or write, 0 if none failed.
    int LastError() const { return lastError_; }

private:
    TemporaryFile temporary_;
    std::FILE* file_ = nullptr;
    int lastError_ = 0;
};

// The text of one block line without its line end; returns its length.
// out must hold at least kMaxBlockLineLength characters.
inline constexpr int kMaxBlockLineLength = 1024;
int FormatBlockLine(const char* date, const char* label, const FluxResult& result, char* out);

}  // namespace kelvara
