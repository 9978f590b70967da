// The batch on several workers against the desktop's batch, one file after
// another on the caller's thread: the same files, byte for byte, whatever
// the number of workers, and after a failure exactly the files the
// sequential batch leaves; then going on past failures, an output folder
// and shards.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "DesktopBatch.h"
#include "jobs/BatchJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::FailingStreams;
using testing::ReadFile;
using testing::RecordingPort;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;
using End = BatchJob::End;
using Files = std::map<std::string, std::string>;  // name in the folder: whole text

const RotationInputs kPlane{Rotation::PlanarFit, "0.05", "0.02", "-0.03"};

class ParallelBatchTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv windir{"WINDIR", dir.path().string().c_str()};  // no range.ini: the built-in limits
    RecordingPort port;

    std::string P(const std::string& name) const { return (dir / name).string(); }
    // Files of different lengths, so that workers finish out of list order.
    void Raws(int count) {
        for (int i = 0; i < count; ++i) {
            const samples::SampleOptions options{
                static_cast<std::uint64_t>(i + 1), "2024-06-01 10:07:00", 0.4 + 0.3 * (i % 3), 10, true, 2e-3};
            ASSERT_TRUE(samples::WriteRawSample(dir / Name(i), options));
        }
    }
    static std::string Name(int i) { return "f" + std::to_string(i) + ".dat"; }
    void List(const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names) text += P(name) + "\r\n";
        WriteFile(dir / "list.txt", text);
    }
    BatchInputs Inputs(const RotationInputs& rotation = {}, Methods methods = Methods::Default) const {
        return {.methods = methods, .listFile = P("list.txt"), .rotation = rotation};
    }
    // Every file but the raw files and the list, removed once read; a
    // temporary left behind shows as well.
    Files TakeResults(const fs::path& folder) const {
        Files files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(".dat") || name == "list.txt" || entry.is_directory()) continue;
            files[name] = ReadFile(entry.path());
            fs::remove(entry.path());
        }
        return files;
    }
    Files TakeResults() const { return TakeResults(dir.path()); }
    std::vector<std::string> Said() const {
        std::vector<std::string> said;
        for (const auto& m : port.messages) said.push_back(m.title + ": " + m.text);
        return said;
    }
    // The desktop's batch: its files, messages and tally.
    Files Sequential(const BatchInputs& inputs, std::vector<std::string>& said, RunTally& tally) {
        port = RecordingPort{};
        testing::DesktopBatch sequential;
        sequential.Run(inputs, port);
        said = Said();
        tally = sequential.Tally();
        return TakeResults();
    }
    Files Parallel(BatchInputs inputs, const BatchOptions& options, End expected = End::Finished) {
        port = RecordingPort{};
        inputs.options = options;
        EXPECT_EQ(expected, job.Run(inputs, port)) << options.jobs;
        return TakeResults();
    }

    BatchJob job;
};

void ExpectSameTally(const RunTally& expected, const RunTally& actual) {
    EXPECT_EQ(expected.recordsRead, actual.recordsRead);
    EXPECT_EQ(expected.recordsBadStatus, actual.recordsBadStatus);
    EXPECT_EQ(expected.samplesOutOfRange, actual.samplesOutOfRange);
    EXPECT_EQ(expected.blocksComputed, actual.blocksComputed);
    EXPECT_EQ(expected.blocksRejected, actual.blocksRejected);
    EXPECT_EQ(expected.shortBlocksSkipped, actual.shortBlocksSkipped);
}

TEST_F(ParallelBatchTest, SameFilesMessagesAndTallyAsTheSequentialBatchForAnyNumberOfWorkers) {
    Raws(7);
    WriteFile(dir / "headers.dat", ReadFile(dir / Name(0)).substr(0, 200));  // cut inside a record
    List({Name(0), Name(1), "headers.dat", Name(2), Name(3), Name(4), Name(5), Name(6), Name(1)});
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        for (const RotationInputs& rotation : {RotationInputs{}, kPlane}) {
            std::vector<std::string> said;
            RunTally tally;
            const Files expected = Sequential(Inputs(rotation, methods), said, tally);
            ASSERT_EQ(8u, expected.size());
            for (const int jobs : {1, 2, 4}) {
                EXPECT_EQ(expected, Parallel(Inputs(rotation, methods), {.jobs = jobs})) << jobs;
                EXPECT_EQ(said, Said());
                ExpectSameTally(tally, job.Tally());
                EXPECT_EQ(9, job.FilesDone());
            }
        }
    }
}

TEST_F(ParallelBatchTest, AFailureLeavesExactlyWhatTheSequentialBatchLeaves) {
    Raws(6);
    FailingStreams failing;
    FailingStreams::bytesBeforeFailure = 1000000;  // after the first half hour
    fs::copy_file(dir / Name(1), dir / "failing.dat");
    const std::vector<std::vector<std::string>> lists = {
        {Name(0), Name(1), "absent.dat", Name(2), Name(3), Name(4), Name(5)},  // cannot be opened
        {Name(0), "failing.dat", Name(2), Name(3), Name(4), Name(5)},          // a read error halfway
        {Name(0), Name(1), Name(2), "no folder/x.dat", Name(3), Name(4)},      // no folder for its results
    };
    for (const auto& list : lists) {
        List(list);
        for (const Methods methods : {Methods::Default, Methods::Standard}) {
            std::vector<std::string> said;
            RunTally tally;
            const Files expected = Sequential(Inputs({}, methods), said, tally);
            ASSERT_EQ(1u, said.size());
            for (const int jobs : {1, 3}) {
                EXPECT_EQ(expected, Parallel(Inputs({}, methods), {.jobs = jobs}, End::Failed))
                    << list[1] << " " << jobs;
                EXPECT_EQ(said, Said());
                ExpectSameTally(tally, job.Tally());
            }
        }
    }
}

TEST_F(ParallelBatchTest, KeepGoingReportsEachFailureAndDoesTheRest) {
    Raws(4);
    List({Name(0), "absent.dat", Name(1), "gone.dat", Name(2), Name(3)});
    const Files files = Parallel(Inputs(), {.jobs = 2, .keepGoing = true}, End::Failed);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(files.at(Name(i) + ".r1w").size() > 200) << i;
    EXPECT_EQ((std::vector<std::string>{P("absent.dat"), P("gone.dat")}), job.FailedNames());
    EXPECT_EQ(4, job.FilesDone());
    const std::string noRaw = "Raw Data File Doesn't Exit!: Can't Open Raw Data File!";
    EXPECT_EQ((std::vector<std::string>{noRaw, noRaw}), Said());  // no "Processing Finished!"

    List({Name(0), Name(1)});
    Parallel(Inputs(), {.jobs = 2, .keepGoing = true});
    EXPECT_TRUE(job.FailedNames().empty());
    EXPECT_EQ(std::vector<std::string>{"Status: Processing Finished!"}, Said());
}

TEST_F(ParallelBatchTest, OutputFolderHoldsTheSameFilesAndRefusesTwoNamesForOne) {
    Raws(3);
    fs::create_directory(dir / "sub");
    fs::copy_file(dir / Name(0), dir / "sub" / "other.dat");
    List({Name(0), Name(1), "sub/other.dat", Name(2)});
    std::vector<std::string> said;
    RunTally tally;
    Files expected = Sequential(Inputs(), said, tally);
    expected["other.dat.r1w"] = ReadFile(dir / "sub" / "other.dat.r1w");
    fs::remove(dir / "sub" / "other.dat.r1w");
    fs::create_directory(dir / "out");
    for (const std::string& folder : {P("out"), P("out") + "/"}) {
        Parallel(Inputs(), {.jobs = 2, .outputDir = folder});
        EXPECT_EQ(expected, TakeResults(dir / "out"));
        EXPECT_TRUE(TakeResults().empty());
    }

    fs::copy_file(dir / Name(1), dir / "sub" / Name(1));
    List({Name(0), Name(1), Name(2), "sub/" + Name(1)});
    Parallel(Inputs(), {.jobs = 2, .outputDir = P("out")}, End::SameOutputName);
    EXPECT_EQ((std::vector<std::string>{P(Name(1)), P("sub/" + Name(1)), P("out") + "/" + Name(1) + ".r1w"}),
              job.SameOutputNames());
    EXPECT_TRUE(Said().empty());
    EXPECT_TRUE(TakeResults(dir / "out").empty());  // nothing ran
}

TEST_F(ParallelBatchTest, ShardsTogetherWriteTheFilesOfOneBatch) {
    Raws(7);
    List({Name(0), Name(1), Name(2), Name(3), Name(4), Name(5), Name(6)});
    const Files whole = Parallel(Inputs(kPlane), {.jobs = 2});
    Files together;
    for (int shard = 0; shard < 3; ++shard) {
        const Files part = Parallel(Inputs(kPlane), {.jobs = 2, .shardIndex = shard, .shardCount = 3});
        EXPECT_EQ(shard == 0 ? 3u : 2u, part.size());
        for (const auto& [name, text] : part) EXPECT_TRUE(together.emplace(name, text).second) << name;
    }
    EXPECT_EQ(whole, together);
    EXPECT_EQ(1u, Parallel(Inputs(kPlane), {.shardIndex = 2, .shardCount = 3}).count(Name(5) + ".rfw"));
}

// A name that reads what an earlier name writes gets that file, as in the
// sequential order of work.
TEST_F(ParallelBatchTest, ANameThatReadsAnEarlierResultSeesItWritten) {
    Raws(3);
    List({Name(0), Name(1), Name(0) + ".r1w", Name(2)});
    std::vector<std::string> said;
    RunTally tally;
    const Files expected = Sequential(Inputs(), said, tally);
    ASSERT_EQ(4u, expected.size());
    EXPECT_EQ(expected, Parallel(Inputs(), {.jobs = 4}));
}

}  // namespace
}  // namespace kelvara
