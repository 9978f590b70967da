// Whole single runs and batches through a recording JobPort: what the user is
// told and in which order, which files exist afterwards, the progress
// arithmetic, and results pinned to text made by an independent
// implementation of the processing rules (tools/oracle/kelvara_oracle.py).

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "FileSizeLimit.h"
#include "RecordingPort.h"
#include "TempDir.h"
#include "io/RangeFile.h"
#include "io/ResultsFile.h"
#include "DesktopBatch.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::DesktopBatch;
using testing::RawHeader;
using testing::ReadFile;
using testing::RecordingPort;
using testing::ScopedEnv;
using testing::TempDir;
using testing::Tower;
using testing::WriteFile;

const std::string kHeader = std::string(kResultsHeader) + "\r\n";
const RotationInputs kPlane{Rotation::PlanarFit, "0.05", "0.02", "-0.03"};
constexpr Rotation kFit = Rotation::PlanarFit;
constexpr Rotation kAxes = Rotation::TwoAxis;
const std::string kCommas = ",,,,,,,,,,,,,,,,\r\n";
const std::string kWait = "Please wait, it will take a long time!";
const std::string kFinished = "Processing Finished!|Status|";
const std::string kNoRecords = "No fluxes computed: no records after the four header lines.|No Fluxes Computed|!";
const std::string kNoRaw = "Can't Open Raw Data File!|Raw Data File Doesn't Exit!|!";
const std::string kOutputIsInput = "Output File Is An Input File|Please choose another output file!|!";
const std::string kWriteFailed = "Can't Write Output File!|Writing the output file failed!|!";

// 10:00 with a Ts spike; 10:30 with every CO2 on its maximum (rejected);
// 11:00 with a NaN U; 11:30 whose U and V spikes leave no good record;
// 12:00 with 3 records (too few); 12:30.
std::string GoldenRecords() {
    const std::string d = "\"2024-06-01 ";
    std::string text = Tower("2024-06-01", 10, 0, 40, 1) + d + "10:20:00.0\",3,0.5,0.1,700,10,49,98,0\r\n";
    for (int i = 0; i < 6; ++i) text += d + "10:31:00.0\",3,0.5,0.1,1500,10,20,98,0\r\n";
    text += Tower("2024-06-01", 11, 0, 30, 2) + d + "11:05:00.0\",nan,0.5,0.1,700,10,20,98,0\r\n";
    for (int i = 0; i < 10; ++i) text += d + "11:40:00.0\"," + (i < 5 ? "1,100" : "100,1") + ",0.1,700,10,20,98,0\r\n";
    return text + Tower("2024-06-01", 12, 0, 3, 3) + Tower("2024-06-01", 12, 30, 20, 4);
}

// The oracle's results for GoldenRecords (2-axis; planar fit 0.05 0.02 -0.03).
const std::string kTwoAxis =
    kHeader +
    "2024-06-01 10:30,0.224457,0.0584,700.304,9.92713,98.0017,19.8525,18.5548,3.13164,2.62633e-08,"
    "4.28408e-09,56.0406,0.0781925,2.64816,57.9209,-0.182951,40\r\n2024-06-01 11:0" +
    kCommas +
    "2024-06-01 11:30,0.228352,0.0604401,700.261,9.9679,98.0189,19.9169,18.6135,3.14121,2.23517e-08,"
    "-5.96046e-09,54.5586,0.07408,2.57772,54.8866,-0.309514,30\r\n2024-06-01 12:0" +
    kCommas +
    // Both jobs go on after the short 12:00 block.
    "2024-06-01 13:0,0.211697,0.0519506,700.313,9.964,98.0241,19.9039,18.6012,3.16297,6.85453e-08,"
    "1.30385e-09,69.4495,0.107891,3.2813,79.9362,0.476079,20\r\n";
const std::string kPlanarFit =
    kHeader +
    "2024-06-01 10:30,0.204302,0.0483828,700.304,9.92713,98.0017,19.8525,18.5548,3.13569,6.95316e-11,"
    "-0.0687954,54.9501,0.0768414,2.59663,56.9201,-0.168497,40\r\n2024-06-01 11:0" +
    kCommas +
    "2024-06-01 11:30,0.206797,0.0495683,700.261,9.9679,98.0189,19.9169,18.6135,3.14527,-4.541e-09,"
    "-0.0455849,53.0345,0.0724984,2.50571,53.7148,-0.269658,30\r\n2024-06-01 12:0" +
    kCommas +
    "2024-06-01 13:0,0.18694,0.0405101,700.313,9.964,98.0241,19.9039,18.6012,3.16668,-3.57213e-10,"
    "-0.054673,67.9784,0.106025,3.2118,78.5532,0.492776,20\r\n";

class JobTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv windir{"WINDIR", dir.path().string().c_str()};  // no range.ini: the built-in limits
    RecordingPort port;

    std::string P(const std::string& name) const { return name.empty() ? name : (dir / name).string(); }
    void Raw(const std::string& name, const std::string& records) { WriteFile(dir / name, RawHeader() + records); }
    std::string Read(const std::string& name) const { return ReadFile(dir / name); }
    bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(dir / name)); }

    // The second-file question and every message box, in order.
    std::vector<std::string> Said() const {
        std::vector<std::string> said;
        std::size_t next = 0;
        for (const std::string& event : port.events) {
            if (event == "ask-second-file") said.push_back("ask");
            if (event.rfind("message:", 0) != 0) continue;
            const auto& m = port.messages[next++];
            said.push_back(m.text + "|" + m.title + (m.icon == MessageIcon::Exclamation ? "|!" : "|"));
        }
        return said;
    }
    std::vector<std::string> Events(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& e : port.events) {
            if (e.rfind(prefix, 0) == 0) found.push_back(e.substr(prefix.size()));
        }
        return found;
    }
};

TEST_F(JobTest, GoldenResultsOfBothJobsAndBothRotations) {
    Raw("golden.dat", GoldenRecords());
    RunJob single;
    for (int run = 0; run < 2; ++run) {  // a second press repeats the job exactly
        ASSERT_TRUE(single.Run({.files = {P("golden.dat")}, .outputFile = P("out")}, port));
        EXPECT_EQ(kTwoAxis, Read("out.r1w"));
    }
    ASSERT_TRUE(single.Run({.files = {P("golden.dat")}, .outputFile = P("out"), .rotation = kPlane}, port));
    EXPECT_EQ(kPlanarFit, Read("out.rfw"));

    Raw("big.dat", Tower("2024-06-02", 0, 0, 18000, 5));  // one full block
    WriteFile(dir / "list.txt", P("golden.dat") + "\n" + P("big.dat") + "\n");
    DesktopBatch batch;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(batch.Run({.listFile = P("list.txt")}, port));
        EXPECT_EQ(kTwoAxis, Read("golden.dat.r1w"));
    }
    EXPECT_EQ(kHeader +
                  "2024-06-02 0:30,0.214066,0.0530862,699.982,10.0012,97.9979,20.0044,18.6974,3.03473,"
                  "-6.02925e-07,-4.02311e-07,66.3428,0.10087,3.13411,74.7482,0.309042,18000\r\n",
              Read("big.dat.r1w"));
    ASSERT_TRUE(batch.Run({.listFile = P("list.txt"), .rotation = kPlane}, port));
    EXPECT_EQ(kPlanarFit, Read("golden.dat.rfw"));

    // range.ini is read at every press: with CO2 below 600 no block passes.
    RangeTexts texts = {"-50", "50", "-50", "50", "-50", "50", "0", "600", "-20", "100", "-50", "50", "30", "150"};
    ASSERT_TRUE(WriteRangeTexts(texts));
    ASSERT_TRUE(single.Run({.files = {P("golden.dat")}, .outputFile = P("out")}, port));
    EXPECT_EQ(kHeader + "2024-06-01 10:30" + kCommas + "2024-06-01 11:0" + kCommas + "2024-06-01 11:30" + kCommas +
                  "2024-06-01 12:0" + kCommas + "2024-06-01 13:0" + kCommas,
              Read("out.r1w"));
}

TEST_F(JobTest, TallyOfWhatBecameOfTheData) {
    Raw("golden.dat", GoldenRecords() + "\"2024-06-01 12:59:00.0\",3,0.5,0.1,700,10,20,98,14\r\n");
    RunJob single;
    ASSERT_TRUE(single.Run({.files = {P("golden.dat")}, .outputFile = P("out")}, port));
    const RunTally& tally = single.Tally();
    EXPECT_EQ(112, tally.recordsRead);
    EXPECT_EQ(1, tally.recordsBadStatus);
    EXPECT_EQ(6 + 1 + 10, tally.samplesOutOfRange);  // CO2 on its maximum, a NaN U, U and V spikes
    EXPECT_EQ(3, tally.blocksComputed);
    EXPECT_EQ(2, tally.blocksRejected);
    EXPECT_EQ(1, tally.shortBlocksSkipped);
    EXPECT_EQ(3, tally.recordsInShortBlocks);

    WriteFile(dir / "list.txt", P("golden.dat") + "\n" + P("golden.dat") + "\n");
    DesktopBatch batch;
    ASSERT_TRUE(batch.Run({.listFile = P("list.txt")}, port));
    EXPECT_EQ(224, batch.Tally().recordsRead);  // over every file of the list
    EXPECT_EQ(6, batch.Tally().blocksComputed);
    EXPECT_EQ(2, batch.Tally().shortBlocksSkipped);
}

TEST_F(JobTest, AReadErrorStopsBothJobsAndIsNeverTakenForTheEndOfTheFile) {
    testing::FailingStreams failing;
    const std::string kReadFailed = "Can't Read Raw Data File!|Reading the raw data file failed!|!";
    Raw("failing.dat", GoldenRecords());
    const std::string header = RawHeader();
    // In the header lines, in the first half hour, and at the last half hour.
    for (const long bytes :
         {0L, static_cast<long>(header.size()) + 500, static_cast<long>(Read("failing.dat").size()) - 10}) {
        testing::FailingStreams::bytesBeforeFailure = bytes;
        port = RecordingPort{};
        RunJob single;
        EXPECT_FALSE(single.Run({.files = {P("failing.dat")}, .outputFile = P("out")}, port));
        EXPECT_EQ((std::vector<std::string>{"ask", kReadFailed}), Said()) << bytes;
        // Only whole half hours read before the error have lines, kept
        // beside the results file; the one it cut has none.
        EXPECT_FALSE(Exists("out.r1w"));
        const std::string written = Read("out.r1w.partial");
        EXPECT_TRUE(kTwoAxis.starts_with(written)) << written;
        EXPECT_LT(written.size(), kTwoAxis.size());

        WriteFile(dir / "list.txt", P("failing.dat") + "\n");
        port = RecordingPort{};
        DesktopBatch batch;
        EXPECT_FALSE(batch.Run({.listFile = P("list.txt")}, port));
        EXPECT_EQ(std::vector<std::string>{kReadFailed}, Said()) << bytes;
    }
    // The second file fails while it completes the first file's last half hour.
    Raw("first.dat", Tower("2024-06-01", 10, 0, 20, 1));
    Raw("failing2.dat", Tower("2024-06-01", 10, 2, 20, 2));
    testing::FailingStreams::bytesBeforeFailure = static_cast<long>(header.size()) + 300;
    port = RecordingPort{};
    EXPECT_FALSE(RunJob().Run({.files = {P("first.dat"), P("failing2.dat")}, .outputFile = P("two")}, port));
    EXPECT_EQ(std::vector<std::string>{kReadFailed}, Said());
    EXPECT_EQ(kHeader, Read("two.r1w.partial"));
    EXPECT_FALSE(Exists("two.r1w"));
}

// A results file you see is always whole: a failure leaves an earlier one
// as it was, and what was written beside it as .partial.
TEST_F(JobTest, AFullDiskKeepsTheEarlierResultsAndWhatWasWrittenBesideThem) {
    Raw("golden.dat", GoldenRecords());
    WriteFile(dir / "list.txt", P("golden.dat") + "\n");
    ASSERT_TRUE(RunJob().Run({.files = {P("golden.dat")}, .outputFile = P("out")}, port));
    ASSERT_TRUE(DesktopBatch().Run({.listFile = P("list.txt")}, port));
    port = RecordingPort{};
    {
        testing::FileSizeLimit full(400);  // the header and one line
        EXPECT_FALSE(RunJob().Run({.files = {P("golden.dat")}, .outputFile = P("out")}, port));
        EXPECT_FALSE(DesktopBatch().Run({.listFile = P("list.txt")}, port));
    }
    EXPECT_EQ((std::vector<std::string>{"ask", kWriteFailed, kWriteFailed}), Said());
    EXPECT_EQ(kTwoAxis, Read("out.r1w"));
    EXPECT_EQ(kTwoAxis, Read("golden.dat.r1w"));
    for (const char* partial : {"out.r1w.partial", "golden.dat.r1w.partial"}) {
        EXPECT_TRUE(kTwoAxis.starts_with(Read(partial))) << partial;
        EXPECT_GT(Read(partial).size(), kHeader.size()) << partial;
    }
    EXPECT_EQ(6, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));  // no temporary left
}

TEST_F(JobTest, SingleRunChecksAndMessagesInOrder) {
    Raw("a.dat", Tower("2024-06-01", 10, 0, 60, 1));
    Raw("empty.dat", "");
    Raw("two.rfw", "");
    const std::string input = Read("a.dat");
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "a.dat", dir / "link.rfw");
#ifdef __linux__
    fs::create_symlink("/dev/full", dir / "full.r1w");
#endif
    struct Case {
        std::string first, second, output;
        Rotation rotation;
        std::string b1;
        SecondFileAnswer answer;
        std::vector<std::string> said;
        std::string headerOnly;  // a results file that must hold the header line alone
    };
    const auto go = SecondFileAnswer::Continue;
    const Case cases[] = {
        {"", "", "", kFit, "", go, {"No b0, b1 and b2 values|Please Input b0, b1,and b2 values!|!"}, ""},
        {"", "", "", kFit, " ", go, {"No First File|Please Input the First File!|!"}, ""},  // blanks count as given
        {"a.dat", "", "re", kAxes, "", SecondFileAnswer::ReInput, {"ask"}, ""},
        {"a.dat", "", "", kAxes, "", go, {"ask", "No Output File|Please Input the Output File!|!"}, ""},
        {"a.dat", "", "no-dir/x", kAxes, "", go, {"ask", "Can't Open Output File|Can't Open Output file!|!"}, ""},
        // A raw file that cannot be read gets no results file.
        {"absent.dat",
         "",
         "x",
         kAxes,
         "",
         go,
         {"ask", "Can't Open The First Raw Data File!|Raw Data File Doesn't Exit!|!"},
         ""},
        {"a.dat",
         "absent.dat",
         "y",
         kAxes,
         "",
         go,
         {"Can't Open The Second Raw Data File!|Raw Data File Doesn't Exit!|!"},
         ""},
        {"a.dat", "two.rfw", "two", kFit, "0", go, {kOutputIsInput}, ""},
        {"link.rfw", "", "sub/../link", kFit, "0", go, {"ask", kOutputIsInput}, ""},
#ifdef __linux__
        {"a.dat", "", "full", kAxes, "", go, {"ask", "Can't Open Output File|Can't Open Output file!|!"}, ""},
#endif
        // No record: in place of "Processing Finished!", why there are no fluxes.
        {"empty.dat", "", "h", kAxes, "", go, {"ask", kNoRecords}, "h.r1w"},
    };
    RunJob job;
    for (const Case& c : cases) {
        port = RecordingPort{};
        port.secondFileAnswer = c.answer;
        const RunInputs inputs{
            .files = {P(c.first), P(c.second)}, .outputFile = P(c.output), .rotation = {c.rotation, "0", c.b1, "0"}};
        const bool finished = job.Run(inputs, port);
        EXPECT_EQ(c.said, Said()) << c.output;
        EXPECT_EQ(c.said.back() == kFinished || c.said.back() == kNoRecords, finished) << c.output;
        if (!c.headerOnly.empty()) {
            EXPECT_EQ(kHeader, Read(c.headerOnly)) << c.output;
        }
    }
    EXPECT_FALSE(Exists("re.r1w"));  // "Re-Input" creates nothing
    EXPECT_FALSE(Exists("x.r1w"));
    EXPECT_FALSE(Exists("y.r1w"));
    EXPECT_EQ(input, Read("a.dat"));
    EXPECT_EQ(RawHeader(), Read("two.rfw"));
}

TEST_F(JobTest, BatchChecksAndMessagesInOrder) {
    Raw("a.dat", Tower("2024-06-01", 10, 0, 60, 1) + Tower("2024-06-01", 10, 30, 60, 2));
    Raw("b.dat", Tower("2024-06-01", 10, 0, 60, 3));
    Raw("full.dat", Tower("2024-06-01", 10, 0, 60, 4));
    fs::create_symlink(dir / "b.dat", dir / "b.dat.r1w");
#ifdef __linux__
    fs::create_symlink("/dev/full", dir / "full.dat.r1w");
#endif
    WriteFile(dir / "L.r1w", "L\n");
    struct Case {
        std::string list;  // the list file's text; "" names no list file, "-" one that does not exist
        Rotation rotation;
        std::string b1, said, wait;
        std::vector<std::pair<std::string, std::string>>
            files;  // name, whole text ("?" absent, "*" more than a header)
    };
    const Case cases[] = {
        {"a.dat", kFit, "", "No b0, b1 and b2 values|Please Input b0, b1,and b2 values!|!", "", {}},
        {"", kAxes, "", "No Input File|Please Input the File!|!", "", {}},  // empty b texts are fine for 2-axis
        {"-", kAxes, "", "Can't Open File!|File Doesn't Exit!|!", "", {}},
        {"no-dir/x.dat", kAxes, "", kNoRaw, kWait, {{"no-dir/x.dat.r1w", "?"}}},
        {"a.dat\nabsent.dat\nc.dat\n",
         kAxes,
         "",
         kNoRaw,
         kWait,
         {{"a.dat.r1w", "*"}, {"absent.dat.r1w", "?"}, {"c.dat.r1w", "?"}}},  // no file for what cannot be read
        {"a.dat\n\nc.dat", kAxes, "", kNoRaw, kWait, {{".r1w", "?"}, {"c.dat.r1w", "?"}}},  // an empty line is a name
        {"(empty)", kFit, "0", kNoRaw, kWait, {{".rfw", "?"}}},                             // so is an empty list
        {"b.dat\n", kAxes, "", kOutputIsInput, "", {}},  // refused before anything is created
#ifdef __linux__
        {"full.dat", kAxes, "", "Can't Open Output File!|Open Output File Failed!|!", kWait, {}},
#endif
        {"a.dat\r\nempty.dat\r\n",
         kFit,
         "0",
         kFinished,
         "",
         {{"a.dat.rfw", "*"}, {"empty.dat.rfw", kHeader}, {"a.dat.r1w", "*"}}},
    };
    fs::path here = fs::current_path();
    fs::current_path(dir.path());  // names in the list are relative to the current directory
    Raw("empty.dat", "");
    DesktopBatch job;
    for (const Case& c : cases) {
        port = RecordingPort{};
        WriteFile(dir / "list.txt", c.list == "(empty)" ? "" : c.list);
        const std::string list = c.list.empty() ? "" : P(c.list == "-" ? "absent.txt" : "list.txt");
        const bool finished = job.Run({.listFile = list, .rotation = {c.rotation, "0", c.b1, "0"}}, port);
        EXPECT_EQ(std::vector<std::string>{c.said}, Said()) << c.list;
        EXPECT_EQ(c.said == kFinished, finished) << c.list;
        EXPECT_EQ(c.wait, port.waitNotice) << c.list;
        for (const auto& [name, text] : c.files) {
            const std::string actual = Exists(name) ? Read(name) : "?";
            EXPECT_TRUE(text == "*" ? actual.size() > kHeader.size() : actual == text) << name << ": " << actual;
        }
    }
    port = RecordingPort{};
    EXPECT_FALSE(job.Run({.listFile = P("L.r1w")}, port));  // the list file itself
    EXPECT_EQ(std::vector<std::string>{kOutputIsInput}, Said());
    EXPECT_EQ("L\n", Read("L.r1w"));
    fs::current_path(here);
}

TEST_F(JobTest, NoResultsFileMayReplaceAnInputOfItsJob) {
    Raw("a.dat", Tower("2024-06-01", 10, 0, 60, 1));
    Raw("a.dat.r1w", Tower("2024-06-01", 10, 0, 60, 2));  // a raw file whose name is a results name
    Raw("c.dat", Tower("2024-06-01", 10, 0, 60, 3));
    fs::create_hard_link(dir / "c.dat", dir / "hard.r1w");  // "hard" in a list would write over c.dat
    WriteFile(dir / "limits.ini", "U-Min\t-50\r\n");
    const std::vector<std::string> lists = {P("a.dat") + "\n" + P("a.dat.r1w") + "\n",
                                            P("a.dat.r1w") + "\n" + P("a.dat") + "\n",
                                            P("c.dat") + "\n" + P("hard") + "\n"};
    for (const std::string& list : lists) {
        WriteFile(dir / "list.txt", list);
        port = RecordingPort{};
        EXPECT_FALSE(DesktopBatch().Run({.listFile = P("list.txt")}, port)) << list;
        EXPECT_EQ(std::vector<std::string>{kOutputIsInput}, Said()) << list;
        EXPECT_EQ("", port.waitNotice);
    }
    EXPECT_FALSE(Exists("a.dat.r1w.r1w"));
    EXPECT_FALSE(Exists("c.dat.r1w"));
    EXPECT_EQ(RawHeader() + Tower("2024-06-01", 10, 0, 60, 2), Read("a.dat.r1w"));
    // The range file is an input too, in both jobs.
    WriteFile(dir / "list.txt", P("limits.ini") + "\n");
    fs::rename(dir / "limits.ini", dir / "limits.ini.r1w");
    port = RecordingPort{};
    EXPECT_FALSE(DesktopBatch().Run({.listFile = P("list.txt")}, port, dir / "limits.ini.r1w"));
    EXPECT_FALSE(RunJob().Run({.files = {P("a.dat")}, .outputFile = P("limits.ini")}, port, dir / "limits.ini.r1w"));
    EXPECT_EQ((std::vector<std::string>{kOutputIsInput, "ask", kOutputIsInput}), Said());
    EXPECT_EQ("U-Min\t-50\r\n", Read("limits.ini.r1w"));
}

#ifdef __linux__
TEST_F(JobTest, APipeOrADeviceIsNoRawFileAndCreatesNothing) {
    ASSERT_EQ(0, mkfifo((dir / "pipe.dat").c_str(), 0600));
    fs::create_symlink("/dev/zero", dir / "zero.dat");
    const std::string kNoFirst = "Can't Open The First Raw Data File!|Raw Data File Doesn't Exit!|!";
    for (const std::string name : {"pipe.dat", "zero.dat"}) {
        port = RecordingPort{};
        EXPECT_FALSE(RunJob().Run({.files = {P(name)}, .outputFile = P("out")}, port));
        EXPECT_EQ((std::vector<std::string>{"ask", kNoFirst}), Said());
        WriteFile(dir / "list.txt", P(name) + "\n");
        port = RecordingPort{};
        EXPECT_FALSE(DesktopBatch().Run({.listFile = P("list.txt")}, port));
        EXPECT_EQ(std::vector<std::string>{kNoRaw}, Said());
        // The list and the range file: a pipe as either is no file to read.
        port = RecordingPort{};
        EXPECT_FALSE(DesktopBatch().Run({.listFile = P(name)}, port));
        EXPECT_EQ(std::vector<std::string>{"Can't Open File!|File Doesn't Exit!|!"}, Said());
        RangeLimits limits;
        EXPECT_FALSE(LoadRangeLimits(limits, dir / name));
    }
    EXPECT_FALSE(Exists("out.r1w"));
    EXPECT_FALSE(Exists("pipe.dat.r1w"));
    EXPECT_FALSE(Exists("zero.dat.r1w"));
}
#endif

TEST_F(JobTest, BatchStatusTextsAndNothingCarriedIntoTheNextFile) {
    // a.dat ends on a record of the next half hour without a line end; b.dat
    // starts in that half hour on another day.
    Raw("a.dat", Tower("2024-01-01", 10, 0, 10, 1) + "\"2024-01-01 10:31:00.0\",9,0.5,0.1,700,10,20,98,0");
    Raw("empty.dat", "");
    Raw("b.dat", Tower("2024-01-02", 10, 32, 10, 2));
    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("b.dat") + "\n" + P("empty.dat") + "\n");
    DesktopBatch job;
    ASSERT_TRUE(job.Run({.listFile = P("list.txt")}, port));
    EXPECT_EQ(kHeader, Read("empty.dat.r1w"));
    EXPECT_TRUE(Read("b.dat.r1w").starts_with(kHeader + "2024-01-02 11:0,"));
    EXPECT_TRUE(Read("b.dat.r1w").ends_with(",10\r\n"));
    std::vector<std::string> expected;
    for (const char* t : {"1 ,record 0", "1 ,record 1", "1 ,record 2", "1 ,record 3", "2 ,record 0", "2 ,record 1",
                          "3 ,record 0", "3 ,record 1", "4 ,record 0"})
        expected.push_back(std::string("Processing file ") + t);
    EXPECT_EQ(expected, port.progressTexts);
    EXPECT_EQ((std::vector<std::string>{kWait, ""}), Events("wait:"));
}

TEST_F(JobTest, ProgressStepsOncePerRiseOfThePercentage) {
    Raw("small.dat", GoldenRecords());  // under one block's worth of bytes: estimated as 1
    std::string records;
    for (int k = 0; k < 4; ++k)
        records += Tower("2024-06-01", 10 + k / 2, k % 2 * 30, 10000, static_cast<std::uint32_t>(k + 1));
    Raw("big.dat", records);
    ASSERT_EQ(2u, fs::file_size(dir / "big.dat") / 1453990u);
    struct Case {
        const char* file;
        int step;
        std::vector<std::string> percents;
    };
    RunJob job;
    for (const Case& c :
         {Case{"small.dat", 100, {"100%", "200%", "300%", "400%"}}, Case{"big.dat", 50, {"50%", "100%", "150%"}}}) {
        port = RecordingPort{};
        port.bar.position = 77;  // as an earlier run left the bar
        ASSERT_TRUE(job.Run({.files = {P(c.file)}, .outputFile = P("out")}, port));
        EXPECT_EQ(0, port.bar.lower);
        EXPECT_EQ(100, port.bar.upper);
        EXPECT_EQ(c.step, port.bar.step);
        EXPECT_EQ(c.percents, Events("percent:"));  // the block in which the file ended shows none
        EXPECT_EQ(static_cast<int>(c.percents.size()), port.progressSteps);
        EXPECT_LT(std::find(port.events.begin(), port.events.end(), "position:0"),
                  std::find(port.events.begin(), port.events.end(), "step"));
        EXPECT_EQ(100, port.bar.position);
    }
}

}  // namespace
}  // namespace kelvara
