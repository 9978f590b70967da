#pragma once
// The comma-separated results files of the processing jobs: their headers,
// names and lines, and the file that holds them.

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "io/TemporaryFile.h"
#include "pipeline/FluxResult.h"
#include "pipeline/Methods.h"
#include "pipeline/Rotation.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

inline constexpr std::string_view kResultsHeader =
    "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,"
    "LE_leuning,Fc_leuning,Records";
inline constexpr std::string_view kStandardResultsHeader =
    "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Ta,ave_U,ave_V,ave_W,H,Fc_wplE,Fc_wplT,LE,Fc,Records";

// ".r1w" for the 2-axis rotation, ".rfw" for the planar fit. The standard
// methods write ".s1w" (double rotation) and ".sfw" (planar fit), so that
// their files never take the place of default ones; the corrected fluxes
// ".flux.csv" with either rotation.
std::string_view ResultsSuffix(Rotation rotation, Methods methods = Methods::Default);

// What a failed job's results file is kept as, beside the results file.
inline constexpr std::string_view kPartialSuffix = ".partial";

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
    // lineEnd ends every line: CR LF for the files the program has always
    // written, LF for the CSV of corrected fluxes.
    bool Create(const std::filesystem::path& file, std::string_view lineEnd = "\r\n");
    // Puts what was written in place of the results file. False (with
    // LastError set) when the close or the rename failed.
    bool Close();
    // Closes what was written but leaves it under its temporary name, handed
    // to finished (empty when nothing was open), for a later Commit or, after
    // a failure, KeepAs. False (with LastError set) when the close failed.
    bool Finish(TemporaryFile& finished);
    // After a failure: what was written goes under the results file's name
    // plus kPartialSuffix, and the results file stays as it was. False when
    // nothing was open or the rename failed.
    bool KeepPartial();
    bool IsOpen() const { return file_ != nullptr; }

    // One line; the line end is added. False when the write failed.
    bool WriteLine(std::string_view text);
    // Lines already ended, as they are.
    bool WriteLines(std::string_view lines);

    // The errno of the last failed create or write, 0 if none failed.
    int LastError() const { return lastError_; }

private:
    TemporaryFile temporary_;
    std::FILE* file_ = nullptr;
    std::string_view lineEnd_ = "\r\n";
    int lastError_ = 0;
};

// The text of one block line without its line end, after its Time field;
// returns its length. out must hold at least kMaxBlockLineLength characters.
inline constexpr int kMaxBlockLineLength = 1024;
int FormatBlockLine(std::string_view time, const FluxResult& result, char* out);
int FormatBlockLine(std::string_view time, const StandardResult& result, char* out);
// A rejected block: its Time field and 16 commas.
int FormatRejectedLine(std::string_view time, char* out);

}  // namespace kelvara
