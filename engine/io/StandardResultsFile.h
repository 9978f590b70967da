#pragma once
// The results file of the standard methods: its own header and columns,
// written through the default results file's temporary-and-rename.

#include <filesystem>
#include <string_view>

#include "io/ResultsFile.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

inline constexpr std::string_view kStandardResultsHeader =
    "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Ta,ave_U,ave_V,ave_W,H,Fc_wplE,Fc_wplT,LE,Fc,Records";

class StandardResultsFile {
public:
    bool Create(const std::filesystem::path& file) { return file_.Create(file); }
    bool Close() { return file_.Close(); }
    bool Finish(TemporaryFile& finished) { return file_.Finish(finished); }
    bool IsOpen() const { return file_.IsOpen(); }
    int LastError() const { return file_.LastError(); }

    // Each returns false when the write failed. time is the block's Time
    // field (see FormatBlockTime).
    bool WriteHeader() { return file_.WriteLine(kStandardResultsHeader.data(), kStandardResultsHeader.size()); }
    bool WriteBlockLine(const char* time, const StandardResult& result);
    // The time and 16 commas, as in the default results.
    bool WriteRejectedLine(const char* time);

private:
    ResultsFile file_;
};

// The text of one block line without its line end; returns its length.
// out must hold at least kMaxBlockLineLength characters.
int FormatStandardLine(const char* time, const StandardResult& result, char* out);

}  // namespace kelvara
