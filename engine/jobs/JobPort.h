#pragma once
// The one channel through which a job talks to its user. The desktop dialogs,
// the command-line program and the tests each implement it.

#include <cstdint>
#include <string_view>

namespace kelvara {

enum class MessageIcon { None, Exclamation };

// Answer to the "No Second File" question of the single run.
enum class SecondFileAnswer { Continue, ReInput };

// The two status texts of the batch: the wait notice and the progress text.
enum class StatusText { WaitNotice, ProgressText };

class JobPort {
public:
    virtual ~JobPort() = default;

    // A modal message with an OK button.
    virtual void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;

    // The single run's "No Second File" dialog.
    virtual SecondFileAnswer AskNoSecondFile() = 0;

    // Progress bar of the single run. StepProgress advances by the step and
    // never past the upper end of the range: the bar stays full above it.
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void StepProgress() = 0;

    // The percentage text beside the bar.
    virtual void SetPercentText(std::string_view text) = 0;

    // The batch's status texts.
    virtual void SetStatusText(StatusText which, std::string_view text) = 0;

    // Told just before a failure message that concerns one file: the file's
    // name as given and the system's reason. Ports that show only the
    // message ignore it.
    virtual void ExplainFailure(std::string_view file, std::string_view reason) {
        (void)file;
        (void)reason;
    }

    // The columns a mapped raw file is read from, told before it is read:
    // which file column went to which variable, and any unit conversion.
    virtual void ShowInputColumns(std::string_view file, std::string_view columns) {
        (void)file;
        (void)columns;
    }

    // How much of the raw file being read has been consumed, in bytes. A
    // finer measure than the blocks begun; ports that draw the block
    // percentage ignore it.
    virtual void ShowBytesRead(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }

    // The job's progress has ended before its results are shown; a port
    // that redraws progress in place finishes that line.
    virtual void EndProgress() {}
    // A parallel batch's progress: the files whose results are in place, of
    // all, and the bytes of raw data processed so far, of all.
    virtual void ShowBatchProgress(int filesDone, int filesTotal, std::int64_t bytesDone, std::int64_t bytesTotal) {
        (void)filesDone;
        (void)filesTotal;
        (void)bytesDone;
        (void)bytesTotal;
    }
};

}  // namespace kelvara
