#include "jobs/PlaneFitJob.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <system_error>

#include "io/BlockTime.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "io/RawReader.h"
#include "jobs/ByteProgress.h"
#include "jobs/FileColumns.h"
#include "jobs/JobMessages.h"
#include "jobs/RangeLimitsOfJob.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/RangeLimits.h"
#include "io/RawBytes.h"

namespace kelvara {

namespace {

using namespace messages::batch;

// The bytes of every file the fit reads.
std::int64_t TotalSize(const std::vector<std::string>& names) {
    std::int64_t total = 0;
    for (const std::string& name : names) {
        total += RawContentSize(PathFromText(name));
    }
    return total;
}

// A half hour counted twice would weigh twice in the fit and make its error
// bars look smaller than they are.
std::vector<std::string> EachFileOnce(std::vector<std::string> names, JobPort& port) {
    std::set<std::filesystem::path> seen;
    std::vector<std::string> once;
    std::string repeated;
    for (std::string& name : names) {
        std::error_code error;
        const auto path = PathFromText(name);
        auto key = std::filesystem::weakly_canonical(path, error);
        if (error) key = std::filesystem::absolute(path, error).lexically_normal();
        if (!seen.insert(key).second) {
            if (repeated.find("\n" + name + " ") == std::string::npos) {
                repeated += "\n" + name + " is named more than once; its half hours count once";
            }
            continue;
        }
        once.push_back(std::move(name));
    }
    if (!repeated.empty()) port.ShowWarning(repeated.substr(1));
    return once;
}

class PlaneFitRun {
public:
    PlaneFitRun(JobPort& port, const PlaneFitScreen& screen) : port_(port), screen_(screen) {}

    // Reads every block of one file; false after a failure message.
    bool ReadFile(const std::string& name, const ColumnLayout& layout, ByteProgress& progress);
    PlaneFitReport Finish(const DiagnosisContext& diagnosis) {
        report_.fit = FitPlane(kept_);
        tally_.TakeRecordCounts(reader_.RecordCounts());
        if (!report_.fit.ok && tally_.blocksComputed == 0) report_.noData = DiagnoseRun(tally_, diagnosis);
        return std::move(report_);
    }
    RangeLimits& Limits() { return limits_; }
    void SetStatusRule(const StatusRule& rule) { reader_.SetStatusRule(rule); }

private:
    bool StopOnFile(const JobMessage& message, const std::string& file, const std::string& reason) {
        reader_.Close();
        port_.ExplainFailure(file, reason);
        kelvara::Show(port_, message);
        return false;
    }
    void TakeBlock();

    JobPort& port_;
    const PlaneFitScreen screen_;
    RangeLimits limits_;
    RawReader reader_;
    // About 900 KiB: one for the whole job.
    std::unique_ptr<BlockBuffer> block_ = std::make_unique<BlockBuffer>();
    std::vector<BlockWind> kept_;
    PlaneFitReport report_;
    RunTally tally_;                // what became of the data, for a fit without any
    std::int64_t bytesBefore_ = 0;  // of the files read before this one
};

void PlaneFitRun::TakeBlock() {
    char time[kBlockTimeSize];
    FormatBlockTime(reader_.BlockDate(), reader_.BlockStart(), time);
    const BlockOutcome outcome = ScreenBlock(*block_, limits_);
    tally_.CountScreenedBlock(*block_, outcome, limits_);
    if (outcome == BlockOutcome::Rejected) {
        report_.excluded.push_back({time, kRejectedBlockReason});
        return;
    }
    const BlockWind wind = MeanWindOfGoodRecords(*block_);
    if (auto reason = ExclusionOf(wind, screen_)) {
        report_.excluded.push_back({time, std::move(*reason)});
        return;
    }
    kept_.push_back(wind);
}

bool PlaneFitRun::ReadFile(const std::string& name, const ColumnLayout& layout, ByteProgress& progress) {
    const auto path = PathFromText(name);
    // A pipe or a device would be read once and give a partial fit.
    if (name.empty() || IsSpecialFile(path) || !reader_.OpenFirst(path, layout)) {
        return StopOnFile(kCannotOpenRaw, name, ReasonCannotRead(path));
    }
    while (!reader_.FirstFileEnded()) {
        // Stopped as a run stops, between half hours, with no message.
        if (port_.CancelRequested()) {
            reader_.Close();
            return false;
        }
        const int count = reader_.ReadBlock(*block_);
        if (reader_.ReadError() != 0) {
            return StopOnFile(messages::kCannotReadRaw, name, SystemErrorText(reader_.ReadError()));
        }
        progress.Show(bytesBefore_ + reader_.FirstFileConsumed());
        // Too short to be a block in the results either.
        if (count >= kMinimumBlockSamples) {
            TakeBlock();
        } else if (block_->count > 0) {
            tally_.CountShortBlock(*block_);
        }
    }
    bytesBefore_ += std::max<std::int64_t>(reader_.FirstFileSize(), 0);
    reader_.Close();
    return true;
}

}  // namespace

std::optional<std::vector<std::string>> PlaneFitFileNames(const PlaneFitInputs& inputs, JobPort& port) {
    std::vector<std::string> names = inputs.files;
    if (!inputs.listFile.empty()) {
        const auto listPath = PathFromText(inputs.listFile);
        const ListNames listed = ReadListNames(listPath);
        if (listed.status != ListNames::Status::Read) {
            const bool unopened = listed.status == ListNames::Status::CannotOpen;
            port.ExplainFailure(inputs.listFile, unopened ? ReasonCannotRead(listPath) : SystemErrorText(listed.error));
            Show(port, unopened ? kCannotOpenList : kCannotReadList);
            return std::nullopt;
        }
        names.insert(names.end(), listed.names.begin(), listed.names.end());
    }
    if (names.empty()) {
        Show(port, kNoInputFile);
        return std::nullopt;
    }
    return EachFileOnce(std::move(names), port);
}

std::optional<PlaneFitReport> RunPlaneFitJob(const PlaneFitInputs& inputs, JobPort& port,
                                             const std::optional<std::filesystem::path>& rangeFile) {
    const auto names = PlaneFitFileNames(inputs, port);
    if (!names) return std::nullopt;
    std::vector<ColumnLayout> layouts = inputs.layouts;
    if (layouts.size() != names->size()) {
        auto found = FindFileColumns(inputs.input, *names, port);
        if (!found) return std::nullopt;
        layouts = std::move(*found);
    }
    PlaneFitRun run(port, inputs.screen);
    run.SetStatusRule(inputs.input.goodStatus);
    DiagnosisContext diagnosis{.goodStatus = inputs.input.goodStatus.Text(),
                               .readsByPosition = !layouts.front().mapped,
                               .firstRawFile = PathFromText(names->front()),
                               .firstLayout = layouts.front()};
    if (!LoadLimits(run.Limits(), rangeFile, port, diagnosis)) return std::nullopt;
    ByteProgress progress(port, TotalSize(*names));
    for (std::size_t i = 0; i < names->size(); ++i) {
        if (!run.ReadFile((*names)[i], layouts[i], progress)) return std::nullopt;
    }
    port.EndProgress();
    return run.Finish(diagnosis);
}

}  // namespace kelvara
