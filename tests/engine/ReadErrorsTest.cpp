// A read error in any file a job reads before its raw data (the list, the
// range file, a logger header) stops the job with the file named, and
// nothing is written: a failed read is never the end of the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "jobs/BatchJob.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::FailingStreams;
using testing::RecordingPort;

class ReadErrorTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::ScopedEnv windir{"WINDIR", dir.path().string().c_str()};
    RecordingPort port;
    FailingStreams failing;

    std::string P(const std::string& name) const { return (dir / name).string(); }
    // The one message and the files explained before it.
    void ExpectStopped(const std::string& message, const std::string& file) {
        ASSERT_EQ(1u, port.messages.size());
        EXPECT_EQ(message, port.messages[0].text);
        EXPECT_EQ(std::vector<std::string>{"explain:" + file + ": Input/output error"}, Explained());
    }
    std::vector<std::string> Explained() const {
        std::vector<std::string> found;
        for (const std::string& event : port.events) {
            if (event.starts_with("explain:")) found.push_back(event);
        }
        return found;
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
};

TEST_F(ReadErrorTest, AListThatFailsHalfwayStopsTheBatchAndTheFitBeforeAnyFile) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.hours = 0.6}));
    std::string list;
    for (int i = 0; i < 600; ++i) list += P("a.dat") + "\n";
    testing::WriteFile(dir / "failing-list.txt", list);
    FailingStreams::bytesBeforeFailure = static_cast<long>(list.size() / 3);
    const std::size_t before = FilesInFolder();
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        port = RecordingPort{};
        EXPECT_EQ(BatchJob::End::Failed, BatchJob().Run({.methods = methods, .listFile = P("failing-list.txt")}, port));
        ExpectStopped("Can't Read List File!", P("failing-list.txt"));
    }
    port = RecordingPort{};
    EXPECT_FALSE(RunPlaneFitJob({.listFile = P("failing-list.txt")}, port));
    ExpectStopped("Can't Read List File!", P("failing-list.txt"));
    EXPECT_EQ(before, FilesInFolder());
}

TEST_F(ReadErrorTest, ARangeFileThatFailsStopsTheJobInsteadOfTheBuiltInLimits) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.hours = 0.6}));
    testing::WriteFile(dir / "failing-range.ini", "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\n");
    FailingStreams::bytesBeforeFailure = 14;
    const auto range = dir / "failing-range.ini";
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        port = RecordingPort{};
        EXPECT_FALSE(RunJob().Run({.methods = methods, .files = {P("a.dat")}, .outputFile = P("out")}, port, range));
        ExpectStopped("Can't Read Range File!", range.string());
    }
    testing::WriteFile(dir / "list.txt", P("a.dat") + "\n");
    port = RecordingPort{};
    EXPECT_EQ(BatchJob::End::Failed, BatchJob().Run({.listFile = P("list.txt")}, port, range));
    ExpectStopped("Can't Read Range File!", range.string());
    EXPECT_FALSE(fs::exists(dir / "out.r1w"));
    EXPECT_FALSE(fs::exists(dir / "out.s1w"));
    EXPECT_FALSE(fs::exists(dir / "a.dat.r1w"));
}

TEST_F(ReadErrorTest, AHeaderThatFailsIsNoDefaultLayout) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "failing.dat", {.hours = 0.6, .table = true}));
    FailingStreams::bytesBeforeFailure = 100;  // inside the header lines
    RunInputs inputs;
    inputs.files = {P("failing.dat")};
    inputs.outputFile = P("out");
    std::string problem;
    ASSERT_TRUE(ParseColumns("auto", inputs.input, problem));
    EXPECT_FALSE(RunJob().Run(inputs, port));
    ExpectStopped("Can't Read Raw Data File!", P("failing.dat"));
    EXPECT_FALSE(fs::exists(dir / "out.r1w"));
}

}  // namespace
}  // namespace kelvara
