#pragma once
// The jobs' user on a terminal: messages as "title: text" lines, a failure
// that concerns a file followed by the Unix tool's "kelvara-cli: FILE: REASON",
// progress and batch status as one line redrawn in place (only when live
// output is wanted).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"

namespace kelvara::cli {

class TerminalPort : public JobPort {
public:
    // quiet: silent on success, so the completion notice is not shown.
    TerminalPort(std::FILE* stream, bool liveOutput, bool quiet);
    ~TerminalPort() override;
    TerminalPort(const TerminalPort&) = delete;
    TerminalPort& operator=(const TerminalPort&) = delete;

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    // "kelvara-cli: warning: TEXT", a line each line of the text; also when quiet.
    void ShowWarning(std::string_view text) override;
    // "kelvara-cli: FILE: TEXT", as a failure names its file.
    void ShowFileWarning(std::string_view file, std::string_view text) override;
    void ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time,
                             int pairs) override;
    // Kept for the command, which tells it after the summary.
    void ShowNoFluxes(const RunDiagnosis& diagnosis) override { noFluxes_ = diagnosis; }
    // Why the last job's results hold no fluxes, if they hold none.
    const std::optional<RunDiagnosis>& NoFluxes() const { return noFluxes_; }
    // The bar shows the bytes of the raw file read, so it ends full at 100%;
    // the block count the desktop program shows can overshoot its estimate.
    void SetProgressRange(int lower, int upper) override;
    void ShowBytesRead(std::int64_t done, std::int64_t total) override;
    void SetStatusText(StatusText which, std::string_view text) override;
    // "[####    ] 12/40 files, 310.2/1034.0 MB"
    void ShowBatchProgress(int filesDone, int filesTotal, std::int64_t bytesDone, std::int64_t bytesTotal) override;
    void ExplainFailure(std::string_view file, std::string_view reason) override;
    // "kelvara-cli: OUT.partial: the results written before the failure
    // (OUT is as it was)", after the failure message.
    void ExplainPartialResults(std::string_view resultsFile, std::string_view partialFile) override;
    void EndProgress() override { EndLiveLine(); }
    // "kelvara-cli: FILE: columns: U=Ux (column 3), ..."; not when quiet.
    void ShowInputColumns(std::string_view file, std::string_view columns) override;
    // Every later line says shown where it would say file (a copy's name the
    // user never gave).
    void ShowFileAs(std::string file, std::string shown) {
        aliasedFile_ = std::move(file);
        aliasShown_ = std::move(shown);
    }

private:
    void DrawProgress();
    void DrawStatus();
    void DrawLiveLine(const std::string& line);
    void EndLiveLine();
    void WriteOneLine(std::string_view text);

    std::FILE* stream_;
    bool liveOutput_;
    bool quiet_;
    std::string explanation_;     // the Unix line for the next failure message
    std::string partial_;         // the line on kept partial results, after it
    bool progressShown_ = false;  // only the single run has a progress bar
    std::int64_t bytesDone_ = 0;
    std::int64_t bytesTotal_ = 1;
    std::string waitNotice_;
    std::string progressText_;
    std::string line_;       // the line being composed
    std::string shownLine_;  // the live line now on screen
    std::chrono::steady_clock::time_point lastStatusDraw_{};
    bool statusPending_ = false;  // a status change not yet drawn
    std::optional<RunDiagnosis> noFluxes_;
    std::string aliasedFile_;
    std::string aliasShown_;
};

}  // namespace kelvara::cli
