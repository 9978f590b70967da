#include "Commands.h"

#include <filesystem>
#include <optional>
#include <string>

#include "AppendJob.h"
#include "ExitStatus.h"
#include "PlaneFitOutput.h"
#include "RunReport.h"
#include "StandardInput.h"
#include "io/ColumnLayout.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/NumberText.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "io/SiteFile.h"
#include "jobs/BatchJob.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/PlaneFitText.h"
#include "jobs/RunJob.h"
#include "MonthPart.h"

namespace kelvara::cli {

namespace {

struct Reporting {
    std::FILE* errors;
    bool summary;
};

int ExitStatus(bool finished) { return finished ? kJobFinishedExitStatus : kJobFailedExitStatus; }

// After a run or batch that processed its files: the summary, and why its
// results hold no fluxes, which a script must not mistake for a good run.
int ReportFinishedRun(const RunTally& tally, const TerminalPort& port, const Reporting& reporting) {
    if (reporting.summary) std::fprintf(reporting.errors, "%s\n", RunSummary(tally).c_str());
    if (!port.NoFluxes()) return kJobFinishedExitStatus;
    std::fputs(NoFluxWarning(*port.NoFluxes()).c_str(), reporting.errors);
    return kNoFluxesExitStatus;
}

// A fit over data without a usable half hour says why, as a run would.
std::string RefusalReason(const PlaneFitReport& report) {
    return report.noData ? NoDataReason(*report.noData) : report.fit.refusal;
}

// The user named the range file, so a file that cannot be read is an error
// rather than a silent fall back to the built-in limits.
bool ResolveRangeFile(const Invocation& invocation, std::FILE* errors,
                      std::optional<std::filesystem::path>& rangeFile) {
    if (!invocation.rangeFile) return true;
    const std::filesystem::path path = PathFromText(*invocation.rangeFile);
    if (!IsReadableFile(path)) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", invocation.rangeFile->c_str(), ReasonCannotRead(path).c_str());
        return false;
    }
    rangeFile = path;
    return true;
}

// The plane of "--planar-fit auto", fitted over the files a run or batch is
// about to read, in the columns already found for them. Nothing when the fit
// failed or was refused (the reason shown).
std::optional<PlaneCoefficients> FittedPlane(const std::vector<std::string>& files,
                                             const std::vector<ColumnLayout>& layouts, const InputFormat& input,
                                             JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
                                             std::FILE* errors) {
    const auto report = RunPlaneFitJob({.files = files, .input = input, .layouts = layouts}, port, rangeFile);
    if (!report) return std::nullopt;
    const PlaneFit& fit = report->fit;
    if (!fit.ok) {
        std::fprintf(errors, "kelvara-cli: planar fit refused: %s\n", RefusalReason(*report).c_str());
        return std::nullopt;
    }
    const std::string text = "--planar-fit " + PlaneCoefficientsText(fit) + " (fitted over " +
                             std::to_string(fit.blocksUsed) + " half hours)";
    port.ShowMessage(text, "Planar Fit", MessageIcon::None);
    return RotationInputs::PlanarFit(fit.b0, fit.b1, fit.b2).Settings().plane;
}

// The run's files: those named, then those of its list (blank lines left
// out). False after the reason when the list does not read.
bool AddListedFiles(const Invocation& invocation, RunInputs& run, std::FILE* errors) {
    if (invocation.runList.empty()) return true;
    const std::filesystem::path path = PathFromText(invocation.runList);
    const ListNames list = ReadListNames(path);
    if (list.status != ListNames::Status::Read) {
        const std::string reason =
            list.status == ListNames::Status::CannotOpen ? ReasonCannotRead(path) : SystemErrorText(list.error);
        std::fprintf(errors, "kelvara-cli: %s: %s\n", invocation.runList.c_str(), reason.c_str());
        return false;
    }
    // A blank line names no file here: a stream has no place for one.
    for (const std::string& name : list.names) {
        if (!name.empty()) run.files.push_back(name);
    }
    return true;
}

// What a month was read with, beside its results, for the join.
bool WriteMonthPart(const StreamMonth& month, const MonthOutcome& outcome, const std::filesystem::path& results,
                    std::FILE* errors) {
    const std::filesystem::path path = MonthPartPath(results);
    const std::string text = MonthPartText(month, outcome);
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", path.string().c_str(), SystemErrorText(errno).c_str());
    }
    return written;
}

int RunOneRun(const Invocation& invocation, TerminalPort& port, const std::optional<std::filesystem::path>& rangeFile,
              const Reporting& reporting) {
    RunInputs run = invocation.run;
    if (!AddListedFiles(invocation, run, reporting.errors)) return kJobFailedExitStatus;
    StandardInputCopy standardInput;
    std::string problem;
    if (!standardInput.Replace(run.files, problem)) {
        std::fprintf(reporting.errors, "kelvara-cli: %s\n", problem.c_str());
        return kJobFailedExitStatus;
    }
    // Messages name the copy as the user named it.
    if (!standardInput.Name().empty()) port.ShowFileAs(standardInput.Name(), std::string(kStandardInputName));
    RunJob job;
    std::optional<RunPlan> plan = job.Plan(run, port, rangeFile);
    if (!plan) return kJobFailedExitStatus;
    if (invocation.fitPlane) {
        const auto plane =
            FittedPlane(plan->files, plan->layouts, invocation.run.input, port, rangeFile, reporting.errors);
        if (!plane) return kJobFailedExitStatus;
        plan->rotation.plane = *plane;
    }
    if (!job.Execute(*plan, port)) return kJobFailedExitStatus;
    if (job.Month() && !WriteMonthPart(*run.month, *job.Month(), plan->outputPath, reporting.errors)) {
        return kJobFailedExitStatus;
    }
    return ReportFinishedRun(job.Tally(), port, reporting);
}

// After a batch that went on past failures: what it did and which names
// failed, whatever the port shows.
void ReportKeptGoing(const BatchJob& job, std::FILE* errors) {
    std::string names;
    for (const std::string& name : job.FailedNames()) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(errors, "kelvara-cli: batch: %d files done, %zu failed: %s\n", job.FilesDone(),
                 job.FailedNames().size(), names.c_str());
}

// --check-only: what the batch would refuse, and nothing written. Exit
// status 0 when the batch would run (with --keep-going, past the files
// named).
int CheckBatch(BatchJob& job, const BatchPlan& plan, JobPort& port, bool quiet, std::FILE* errors) {
    const bool runs = job.Check(plan, port) == BatchJob::End::Finished;
    std::string failing;
    for (const std::string& name : job.FailedNames()) failing += (failing.empty() ? ": " : ", ") + name;
    if (runs && (!quiet || !failing.empty())) {
        std::fprintf(errors, "kelvara-cli: batch: %zu files checked, %zu would fail%s; nothing written\n",
                     plan.entries.size(), job.FailedNames().size(), failing.c_str());
    }
    return runs ? kJobFinishedExitStatus : kJobFailedExitStatus;
}

int ReportSameOutputName(const BatchJob& job, std::FILE* errors) {
    const auto& same = job.SameOutputNames();
    std::fprintf(errors, "kelvara-cli batch: --output-dir: %s and %s would both write %s\n", same[0].c_str(),
                 same[1].c_str(), same[2].c_str());
    return kUsageExitStatus;
}

int RunBatch(const Invocation& invocation, TerminalPort& port, const std::optional<std::filesystem::path>& rangeFile,
             const Reporting& reporting) {
    BatchJob job;
    std::optional<BatchPlan> plan = job.Plan(invocation.batch, port, rangeFile);
    if (!plan) {
        return job.SameOutputNames().empty() ? kJobFailedExitStatus : ReportSameOutputName(job, reporting.errors);
    }
    if (invocation.checkOnly) return CheckBatch(job, *plan, port, invocation.quiet, reporting.errors);
    // A fitted plane is fitted once, over the whole list, before any file is processed.
    if (invocation.fitPlane) {
        const auto plane =
            FittedPlane(plan->names, plan->layouts, invocation.batch.input, port, rangeFile, reporting.errors);
        if (!plane) return kJobFailedExitStatus;
        plan->rotation.plane = *plane;
    }
    switch (job.Execute(*plan, port)) {
        case BatchJob::End::Finished:
            // A shard of a list shorter than the shard count has nothing to
            // do, which is no failure: its siblings have the files.
            if (job.FilesDone() == 0) return kJobFinishedExitStatus;
            return ReportFinishedRun(job.Tally(), port, reporting);
        case BatchJob::End::SameOutputName:
            return ReportSameOutputName(job, reporting.errors);
        case BatchJob::End::Failed:
            break;
    }
    if (invocation.batch.options.keepGoing && !job.FailedNames().empty()) ReportKeptGoing(job, reporting.errors);
    return kJobFailedExitStatus;
}

// The report goes to standard output, a refusal's reason to the errors.
int RunPlaneFit(const Invocation& invocation, JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
                std::FILE* errors) {
    const auto report = RunPlaneFitJob(invocation.planeFit, port, rangeFile);
    if (!report) return kJobFailedExitStatus;
    const std::string text = invocation.json ? PlaneFitJson(*report) : PlaneFitText(*report);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    if (report->fit.ok) return kJobFinishedExitStatus;
    std::fprintf(errors, "kelvara-cli: planar fit refused: %s\n", RefusalReason(*report).c_str());
    return kJobFailedExitStatus;
}

int PrintText(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    return kJobFinishedExitStatus;
}

// range --show: the limits as a job would load them, with where they come
// from and what in the file did not read.
int ShowRange(const Invocation& invocation, std::FILE* errors) {
    std::optional<std::filesystem::path> file;
    if (invocation.rangeFile) file = PathFromText(*invocation.rangeFile);
    RangeLimits limits;
    const RangeLoad load = LoadJobRangeLimits(limits, file);
    if (load.readError != 0) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", load.file.string().c_str(),
                     SystemErrorText(load.readError).c_str());
        return kJobFailedExitStatus;
    }
    if (load.fromFile) {
        std::printf("The limits of %s:\n", load.file.string().c_str());
    } else if (file) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", load.file.string().c_str(), ReasonCannotRead(load.file).c_str());
        return kJobFailedExitStatus;
    } else {
        std::printf("The built-in limits: there is no readable %s\n", load.file.string().c_str());
    }
    for (int field = 0; field < kRangeFieldCount; ++field) {
        char value[32];
        FormatGeneral(limits.Field(field), value);
        std::printf("%s\t%s\n", kRangeLabels[static_cast<std::size_t>(field)], value);
    }
    for (const std::string& problem : load.unreadValues) {
        std::fprintf(errors, "kelvara-cli: warning: %s %s\n", load.file.filename().string().c_str(), problem.c_str());
    }
    return kJobFinishedExitStatus;
}

}  // namespace

int RunCommand(const Invocation& invocation, TerminalPort& port, std::FILE* errors, bool summary) {
    if (invocation.command == Command::Append) return ExitStatus(RunAppendJob(invocation.append, port));
    if (invocation.command == Command::Plot) return RunPlot(invocation.plot, errors);
    if (invocation.command == Command::ShowRange) return ShowRange(invocation, errors);
    if (invocation.command == Command::SiteTemplate) return PrintText(SiteFileTemplate());
    std::optional<std::filesystem::path> rangeFile;
    if (!ResolveRangeFile(invocation, errors, rangeFile)) return kJobFailedExitStatus;
    if (invocation.command == Command::PlaneFit) return RunPlaneFit(invocation, port, rangeFile, errors);
    const Reporting reporting{errors, summary};
    if (invocation.command == Command::Batch) return RunBatch(invocation, port, rangeFile, reporting);
    return RunOneRun(invocation, port, rangeFile, reporting);
}

}  // namespace kelvara::cli
