#include "Commands.h"

#include <filesystem>
#include <optional>
#include <string>

#include "AppendJob.h"
#include "PlaneFitOutput.h"
#include "RunReport.h"
#include "io/ColumnLayout.h"
#include "io/FileNames.h"
#include "jobs/InputColumns.h"
#include "jobs/BatchJob.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/PlaneFitText.h"
#include "jobs/ParallelBatchJob.h"
#include "jobs/SingleRunJob.h"
#include "jobs/StandardRunJob.h"

namespace kelvara::cli {

namespace {

struct Reporting {
    std::FILE* errors;
    bool summary;
    const CommandLine& commandLine;
};

int ExitStatus(bool finished) { return finished ? kJobFinishedExitStatus : kJobFailedExitStatus; }

// Read only for the warning: the first raw file's header.
NoFluxContext NoFluxContextOf(const CommandLine& commandLine) {
    NoFluxContext context;
    const InputFormat format = InputFormatOf(commandLine.inputFormat);
    context.goodStatus = format.goodStatus.Text();
    if (!format.IsDefaultLayout()) return context;
    std::string firstRaw = commandLine.firstFile;
    if (commandLine.command == Command::Batch) {
        const std::vector<std::string> names = ListedNames(PathFromText(commandLine.listFile));
        firstRaw = names.empty() ? std::string() : names.front();
    }
    context.suggestAutoColumns = !firstRaw.empty() && HeaderNamesRecordColumn(PathFromText(firstRaw));
    return context;
}

// After "Processing Finished!": the summary, and a warning when the results
// hold no fluxes, which a script must not mistake for a good run.
int ReportFinishedRun(const RunTally& tally, const Reporting& reporting) {
    if (reporting.summary) std::fprintf(reporting.errors, "%s\n", RunSummary(tally).c_str());
    if (tally.blocksComputed > 0) return kJobFinishedExitStatus;
    const std::string warning = NoFluxWarning(tally, NoFluxContextOf(reporting.commandLine));
    if (warning.empty()) return kJobFinishedExitStatus;
    std::fprintf(reporting.errors, "%s\n", warning.c_str());
    return kNoFluxesExitStatus;
}

// The user named the range file, so a file that cannot be read is an error
// rather than a silent fall back to the built-in limits.
bool ResolveRangeFile(const CommandLine& commandLine, std::FILE* errors,
                      std::optional<std::filesystem::path>& rangeFile) {
    if (!commandLine.rangeFile) return true;
    const std::filesystem::path path = PathFromText(*commandLine.rangeFile);
    if (!IsReadableFile(path)) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", commandLine.rangeFile->c_str(), ReasonCannotRead(path).c_str());
        return false;
    }
    rangeFile = path;
    return true;
}

// A coefficient as a text that atof reads back to the same double, so the
// job rounds it to float exactly once.
std::string RoundTripText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The raw files a run or batch reads, for the fit that precedes it.
PlaneFitInputs FitInputsOf(const CommandLine& commandLine) {
    PlaneFitInputs inputs{.input = InputFormatOf(commandLine.inputFormat)};
    if (commandLine.command == Command::Batch) {
        inputs.listFile = commandLine.listFile;
    } else {
        inputs.files = commandLine.runFiles;
        if (!commandLine.secondFile.empty()) inputs.files.push_back(commandLine.secondFile);
    }
    return inputs;
}

// The plane the run rotates to: as typed, fitted over its own inputs, or
// none. Nothing when the fit failed or was refused (the reason shown).
std::optional<RotationInputs> RotationOf(const CommandLine& commandLine, JobPort& port,
                                         const std::optional<std::filesystem::path>& rangeFile, std::FILE* errors) {
    if (commandLine.planarFit.automatic) {
        const auto report = RunPlaneFitJob(FitInputsOf(commandLine), port, rangeFile);
        if (!report) return std::nullopt;
        const PlaneFit& fit = report->fit;
        if (!fit.ok) {
            std::fprintf(errors, "kelvara-cli: planar fit refused: %s\n", fit.refusal.c_str());
            return std::nullopt;
        }
        const std::string text = "--planar-fit " + PlaneCoefficientsText(fit) + " (fitted over " +
                                 std::to_string(fit.blocksUsed) + " half hours)";
        port.ShowMessage(text, "Planar Fit", MessageIcon::None);
        return RotationInputs{Rotation::PlanarFit, RoundTripText(fit.b0), RoundTripText(fit.b1), RoundTripText(fit.b2)};
    }
    if (!commandLine.planarFit.Given()) return RotationInputs{};
    const auto& texts = commandLine.planarFit.coefficients;
    return RotationInputs{Rotation::PlanarFit, texts[0], texts[1], texts[2]};
}

int RunSingle(const CommandLine& commandLine, JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
              const Reporting& reporting) {
    const auto rotation = RotationOf(commandLine, port, rangeFile, reporting.errors);
    if (!rotation) return kJobFailedExitStatus;
    if (commandLine.standard) {
        StandardRunJob job;
        const StandardRunInputs inputs{.files = commandLine.runFiles,
                                       .outputFile = commandLine.outputFile,
                                       .rotation = *rotation,
                                       .input = InputFormatOf(commandLine.inputFormat)};
        if (!job.Run(inputs, port, rangeFile)) return kJobFailedExitStatus;
        return ReportFinishedRun(job.Tally(), reporting);
    }
    const SingleRunInputs inputs{.firstFile = commandLine.firstFile,
                                 .secondFile = commandLine.secondFile,
                                 .outputFile = commandLine.outputFile,
                                 .rotation = *rotation,
                                 .input = InputFormatOf(commandLine.inputFormat)};
    SingleRunJob job;
    if (!job.Run(inputs, port, rangeFile)) return kJobFailedExitStatus;
    return ReportFinishedRun(job.Tally(), reporting);
}

// After a batch that went on past failures: what it did and which names
// failed, whatever the port shows.
void ReportKeptGoing(const ParallelBatchJob& job, std::FILE* errors) {
    std::string names;
    for (const std::string& name : job.FailedNames()) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(errors, "kelvara-cli: batch: %d files done, %zu failed: %s\n", job.FilesDone(),
                 job.FailedNames().size(), names.c_str());
}

int RunBatch(const CommandLine& commandLine, JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
             const Reporting& reporting) {
    // A fitted plane is fitted once, over the whole list, before any worker starts.
    const auto rotation = RotationOf(commandLine, port, rangeFile, reporting.errors);
    if (!rotation) return kJobFailedExitStatus;
    const BatchInputs inputs{
        .listFile = commandLine.listFile, .rotation = *rotation, .input = InputFormatOf(commandLine.inputFormat)};
    const BatchSpread& spread = commandLine.spread;
    const ParallelBatchOptions options{.methods = commandLine.standard ? Methods::Standard : Methods::Default,
                                       .jobs = spread.jobs > 0 ? spread.jobs : HardwareThreads(),
                                       .keepGoing = spread.keepGoing,
                                       .outputDir = spread.outputDir,
                                       .shardIndex = spread.shardIndex,
                                       .shardCount = spread.shardCount};
    ParallelBatchJob job;
    switch (job.Run(inputs, options, port, rangeFile)) {
        case ParallelBatchJob::End::Finished:
            // A shard of a list shorter than the shard count has nothing to
            // do, which is no warning: its siblings have the files.
            if (job.FilesDone() == 0) return kJobFinishedExitStatus;
            return ReportFinishedRun(job.Tally(), reporting);
        case ParallelBatchJob::End::SameOutputName: {
            const auto& same = job.SameOutputNames();
            std::fprintf(reporting.errors, "kelvara-cli batch: --output-dir: %s and %s would both write %s\n",
                         same[0].c_str(), same[1].c_str(), same[2].c_str());
            return kUsageExitStatus;
        }
        case ParallelBatchJob::End::Failed:
            break;
    }
    if (spread.keepGoing && !job.FailedNames().empty()) ReportKeptGoing(job, reporting.errors);
    return kJobFailedExitStatus;
}

int RunAppend(const CommandLine& commandLine, JobPort& port) {
    AppendInputs inputs;
    inputs.headLinesText = commandLine.headLinesText;
    inputs.outputFile = commandLine.appendOutput;
    for (std::size_t slot = 0; slot < commandLine.appendFiles.size() && slot < inputs.files.size(); ++slot) {
        inputs.files[slot] = commandLine.appendFiles[slot];
    }
    return ExitStatus(RunAppendJob(inputs, port));
}

// The report goes to standard output, a refusal's reason to the errors.
int RunPlaneFit(const CommandLine& commandLine, JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
                std::FILE* errors) {
    const PlaneFitCommand& options = commandLine.planeFit;
    const auto report = RunPlaneFitJob({.files = options.files,
                                        .listFile = options.listFile,
                                        .screen = options.screen,
                                        .input = InputFormatOf(commandLine.inputFormat)},
                                       port, rangeFile);
    if (!report) return kJobFailedExitStatus;
    const std::string text = options.json ? PlaneFitJson(*report) : PlaneFitText(*report);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    if (report->fit.ok) return kJobFinishedExitStatus;
    std::fprintf(errors, "kelvara-cli: planar fit refused: %s\n", report->fit.refusal.c_str());
    return kJobFailedExitStatus;
}

}  // namespace

int RunCommand(const CommandLine& commandLine, JobPort& port, std::FILE* errors, bool summary) {
    if (commandLine.command == Command::Append) return RunAppend(commandLine, port);
    if (commandLine.command == Command::Plot) return RunPlot(commandLine.plot, errors);
    std::optional<std::filesystem::path> rangeFile;
    if (!ResolveRangeFile(commandLine, errors, rangeFile)) return kJobFailedExitStatus;
    if (commandLine.command == Command::PlaneFit) return RunPlaneFit(commandLine, port, rangeFile, errors);
    const Reporting reporting{errors, summary, commandLine};
    if (commandLine.command == Command::Batch) return RunBatch(commandLine, port, rangeFile, reporting);
    return RunSingle(commandLine, port, rangeFile, reporting);
}

}  // namespace kelvara::cli
