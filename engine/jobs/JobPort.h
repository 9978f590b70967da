#pragma once
// The one channel through which a job talks to its user. The desktop dialogs,
// the command-line program and the tests each implement it. Only messages
// must be shown; every other verb is something a port may ignore.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvara {

struct RunDiagnosis;

enum class MessageIcon { None, Exclamation };

// Answer to the "No Second File" question of the default method's run.
enum class SecondFileAnswer { Continue, ReInput };

// The two status texts of the batch: the wait notice and the progress text.
enum class StatusText { WaitNotice, ProgressText };

// The warning of files of a batch that share half hours; joinedBy names
// what joins them ("EC Process").
std::string SharedHalfHoursText(std::string_view first, std::string_view second, std::string_view time, int pairs,
                                std::string_view joinedBy);

class JobPort {
public:
    virtual ~JobPort() = default;

    // A modal message with an OK button.
    virtual void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;

    // Something the user should know that does not stop the job (a range
    // value that is no number, half hours rejected for their range). By
    // default a message with the exclamation icon.
    virtual void ShowWarning(std::string_view text);
    // Something the user should know about one raw file ("18000 records
    // earlier than the records before them dropped"). By default a warning
    // that names the file first.
    virtual void ShowFileWarning(std::string_view file, std::string_view text);
    // Files of a batch hold records of one half hour, so each gives a line
    // of part of it: first and second share the half hour ending time, and
    // pairs pairs of files share one. By default a warning.
    virtual void ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time, int pairs);
    // In place of "Processing Finished!" when the results of a job hold no
    // fluxes for any half hour: why, so that no one takes them for data. By
    // default a message with the exclamation icon.
    virtual void ShowNoFluxes(const RunDiagnosis& diagnosis);

    // The user asked a run to stop (Ctrl+C in the Python module): the run
    // ends between two half hours, leaving no results file. Asked from the
    // run's threads, so it must be safe to call from any thread.
    virtual bool CancelRequested() const { return false; }

    // The default method's run without a second file asks whether to go on
    // without it. A port that cannot ask goes on.
    virtual SecondFileAnswer AskNoSecondFile() { return SecondFileAnswer::Continue; }

    // The progress bar. StepProgress advances by the step and never past the
    // upper end of the range: the bar stays full above it.
    virtual void SetProgressRange(int lower, int upper) {
        (void)lower;
        (void)upper;
    }
    virtual void SetProgressStep(int step) { (void)step; }
    virtual void SetProgressPosition(int position) { (void)position; }
    virtual void StepProgress() {}

    // The percentage text beside the bar.
    virtual void SetPercentText(std::string_view text) { (void)text; }

    // The batch's status texts.
    virtual void SetStatusText(StatusText which, std::string_view text) {
        (void)which;
        (void)text;
    }

    // Told just before a failure message that concerns one file: the file's
    // name as given and the system's reason.
    virtual void ExplainFailure(std::string_view file, std::string_view reason) {
        (void)file;
        (void)reason;
    }

    // Told just before a failure message whose job had written results: the
    // file that now holds them, the results file's name plus ".partial"
    // (the results file itself is left as it was).
    virtual void ExplainPartialResults(std::string_view resultsFile, std::string_view partialFile) {
        (void)resultsFile;
        (void)partialFile;
    }

    // The columns a mapped raw file is read from, told before it is read:
    // which file column went to which variable, and any unit conversion.
    virtual void ShowInputColumns(std::string_view file, std::string_view columns) {
        (void)file;
        (void)columns;
    }

    // How much of the raw data being read has been consumed, in bytes: a
    // finer measure than the blocks begun.
    virtual void ShowBytesRead(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }

    // The job's progress has ended before its results are shown; a port
    // that redraws progress in place finishes that line.
    virtual void EndProgress() {}
    // A batch's progress: the files whose results are in place, of all, and
    // the bytes of raw data processed so far, of all.
    virtual void ShowBatchProgress(int filesDone, int filesTotal, std::int64_t bytesDone, std::int64_t bytesTotal) {
        (void)filesDone;
        (void)filesTotal;
        (void)bytesDone;
        (void)bytesTotal;
    }
};

// A port that shows nothing: for the bench, the fuzz targets and the
// screenshots, which only want the job's files.
class SilentPort : public JobPort {
public:
    void ShowMessage(std::string_view, std::string_view, MessageIcon) override {}
};

}  // namespace kelvara
