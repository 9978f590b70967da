#include "Commands.h"

#include <filesystem>
#include <optional>
#include <string>

#include "AppendJob.h"
#include "RunReport.h"
#include "io/FileNames.h"
#include "jobs/ParallelBatchJob.h"
#include "jobs/SingleRunJob.h"
#include "jobs/StandardRunJob.h"

namespace kelvara::cli {

namespace {

struct Reporting {
    std::FILE* errors;
    bool summary;
};

int ExitStatus(bool finished) { return finished ? kJobFinishedExitStatus : kJobFailedExitStatus; }

// After "Processing Finished!": the summary, and a warning when the results
// hold no fluxes, which a script must not mistake for a good run.
int ReportFinishedRun(const RunTally& tally, const Reporting& reporting) {
    if (reporting.summary) std::fprintf(reporting.errors, "%s\n", RunSummary(tally).c_str());
    const std::string warning = NoFluxWarning(tally);
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

RotationInputs RotationOf(const CommandLine& commandLine) {
    if (!commandLine.planarFit.Given()) return RotationInputs{};
    const auto& texts = commandLine.planarFit.coefficients;
    return RotationInputs{Rotation::PlanarFit, texts[0], texts[1], texts[2]};
}

int RunSingle(const CommandLine& commandLine, JobPort& port, const std::optional<std::filesystem::path>& rangeFile,
              const Reporting& reporting) {
    if (commandLine.standard) {
        StandardRunJob job;
        const StandardRunInputs inputs{
            .files = commandLine.runFiles, .outputFile = commandLine.outputFile, .rotation = RotationOf(commandLine)};
        if (!job.Run(inputs, port, rangeFile)) return kJobFailedExitStatus;
        return ReportFinishedRun(job.Tally(), reporting);
    }
    const SingleRunInputs inputs{.firstFile = commandLine.firstFile,
                                 .secondFile = commandLine.secondFile,
                                 .outputFile = commandLine.outputFile,
                                 .rotation = RotationOf(commandLine)};
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
    const BatchInputs inputs{.listFile = commandLine.listFile, .rotation = RotationOf(commandLine)};
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

}  // namespace

int RunCommand(const CommandLine& commandLine, JobPort& port, std::FILE* errors, bool summary) {
    if (commandLine.command == Command::Append) return RunAppend(commandLine, port);
    std::optional<std::filesystem::path> rangeFile;
    if (!ResolveRangeFile(commandLine, errors, rangeFile)) return kJobFailedExitStatus;
    const Reporting reporting{errors, summary};
    if (commandLine.command == Command::Batch) return RunBatch(commandLine, port, rangeFile, reporting);
    return RunSingle(commandLine, port, rangeFile, reporting);
}

}  // namespace kelvara::cli
