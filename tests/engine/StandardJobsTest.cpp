// The standard-methods run and batch through a recording JobPort: results
// pinned to text made by the independent reference of the standard methods
// (tools/oracle/standard_oracle.py), the stream of several files, what the
// user is told and which files exist afterwards.

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "RecordingPort.h"
#include "TempDir.h"
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

// The wind of every record turned by half a turn: U and V negated.
std::string Turned(const std::string& records) {
    std::string out;
    std::size_t start = 0;
    while (start < records.size()) {
        const std::size_t end = records.find('\n', start) + 1;
        std::string line = records.substr(start, end - start);
        const std::size_t u = line.find("\",") + 2;
        line.insert(u, "-");
        line.insert(line.find(',', u) + 1, "-");
        out += line;
        start = end;
    }
    return out;
}

// 23:00 with a Ts spike; 23:30 from behind the sonic (mean u < 0), ending
// at midnight in the next month; 00:00 with every CO2 on its maximum
// (rejected); 00:30 with 3 records (too few); 01:00.
std::string GoldenRecords() {
    std::string rejected;
    for (int i = 0; i < 6; ++i) rejected += "\"2024-07-01 00:10:00.0\",3,0.5,0.1,1500,10,20,98,0\r\n";
    return Tower("2024-06-30", 23, 10, 40, 1) + "\"2024-06-30 23:20:00.0\",3,0.5,0.1,700,10,49,98,0\r\n" +
           Turned(Tower("2024-06-30", 23, 40, 50, 2)) + rejected + Tower("2024-07-01", 0, 40, 3, 3) +
           Tower("2024-07-01", 1, 0, 30, 4);
}

// Inside the 23:30 half hour: its first 20 records.
std::size_t SplitPoint(const std::string& records) {
    std::size_t at = records.find("23:40:00.0");
    for (int i = 0; i < 20; ++i) at = records.find('\n', at) + 1;
    return at;
}

const std::string kHeader = std::string(kStandardResultsHeader) + "\r\n";
const std::string kCommas = ",,,,,,,,,,,,,,,,\r\n";
const RotationInputs kPlane{Rotation::PlanarFit, "0.05", "0.02", "-0.03"};

// The reference's results for GoldenRecords.
const std::string kDoubleRotation =
    kHeader +
    "2024-06-30 23:30,0.224457,0.0586545,700.304,9.92712,98.0017,19.8525,18.5839,3.13164,0,0,57.1264,0.519034,"
    "2.68162,62.4255,0.291978,40\r\n"
    "2024-07-01 00:00,0.21311,0.0528662,700.214,9.96232,98.009,19.9156,18.642,3.11511,-6.66134e-16,1.38778e-17,"
    "52.9108,0.485255,2.48333,58.3375,0.315358,50\r\n"
    "2024-07-01 00:30" +
    kCommas +
    // The run goes on after the short 00:30 half hour.
    "2024-07-01 01:30,0.243881,0.0692418,700.257,9.97377,98.0217,19.9259,18.6509,3.1437,0,-6.93889e-18,64.3716,"
    "0.572532,3.02107,68.977,0.200452,30\r\n";
const std::string kPlanarFit =
    kHeader +
    "2024-06-30 23:30,0.222402,0.0575855,700.304,9.92712,98.0017,19.8525,18.5839,3.13088,-1.65883e-17,-0.0688265,"
    "56.0143,0.510068,2.62941,61.3382,0.298053,40\r\n"
    "2024-07-01 00:00,0.209512,0.0510964,700.214,9.96232,98.009,19.9156,18.642,3.11428,5.02934e-16,0.0479121,"
    "52.5039,0.487562,2.46424,58.5674,0.375263,50\r\n"
    "2024-07-01 00:30" +
    kCommas +
    "2024-07-01 01:30,0.239384,0.066712,700.257,9.97377,98.0217,19.9259,18.6509,3.14298,4.70815e-17,-0.04261,"
    "62.5636,0.5611,2.93622,67.5619,0.242803,30\r\n";
// The batch: each file its own stream, so the 23:30 half hour is cut in two.
const std::string kFirstPart =
    kHeader +
    "2024-06-30 23:30,0.224457,0.0586545,700.304,9.92712,98.0017,19.8525,18.5839,3.13164,0,0,57.1264,0.519034,"
    "2.68162,62.4255,0.291978,40\r\n"
    "2024-07-01 00:00,0.232138,0.0627097,700.035,10.0248,98.0191,20.0306,18.7481,3.07757,0,0,58.8568,0.523989,"
    "2.76163,63.1388,0.183942,20\r\n";
const std::string kSecondPart =
    kHeader +
    "2024-07-01 00:00,0.192303,0.0430554,700.333,9.92063,98.0022,19.839,18.5713,3.14086,6.66134e-16,6.93889e-18,"
    "41.7873,0.379267,1.96163,45.6173,0.209864,30\r\n"
    "2024-07-01 00:30" +
    kCommas +
    "2024-07-01 01:30,0.243881,0.0692418,700.257,9.97377,98.0217,19.9259,18.6509,3.1437,0,-6.93889e-18,64.3716,"
    "0.572532,3.02107,68.977,0.200452,30\r\n";

const std::string kFinished = "Processing Finished!|Status|";
const std::string kOutputIsInput = "Output File Is An Input File|Please choose another output file!|!";
const std::string kNoFirst = "Can't Open The First Raw Data File!|Raw Data File Doesn't Exit!|!";
const std::string kNoSecond = "Can't Open The Second Raw Data File!|Raw Data File Doesn't Exit!|!";
const std::string kNoRaw = "Can't Open Raw Data File!|Raw Data File Doesn't Exit!|!";
const std::string kReadFailed = "Can't Read Raw Data File!|Reading the raw data file failed!|!";

// Also keeps the files that failures were explained for.
class ExplainingPort : public RecordingPort {
public:
    std::vector<std::string> explained;
    void ExplainFailure(std::string_view file, std::string_view) override { explained.emplace_back(file); }
};

class StandardJobTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv windir{"WINDIR", dir.path().string().c_str()};  // no range.ini: the built-in limits
    ExplainingPort port;

    std::string P(const std::string& name) const { return name.empty() ? name : (dir / name).string(); }
    void Raw(const std::string& name, const std::string& records, const char* eol = "\r\n") {
        WriteFile(dir / name, RawHeader(eol) + records);
    }
    std::string Read(const std::string& name) const { return ReadFile(dir / name); }
    bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(dir / name)); }
    // Every message box and every failure explained, in order.
    std::vector<std::string> Said() const {
        std::vector<std::string> said;
        for (const auto& m : port.messages) {
            said.push_back(m.text + "|" + m.title + (m.icon == MessageIcon::Exclamation ? "|!" : "|"));
        }
        return said;
    }
};

TEST_F(StandardJobTest, GoldenResultsOfOneFileAStreamAndABatch) {
    const std::string records = GoldenRecords();
    Raw("golden.dat", records);
    RunJob run;
    for (int press = 0; press < 2; ++press) {  // a second press repeats the run exactly
        ASSERT_TRUE(run.Run({.methods = Methods::Standard, .files = {P("golden.dat")}, .outputFile = P("out")}, port));
        EXPECT_EQ(kDoubleRotation, Read("out.s1w"));
    }
    ASSERT_TRUE(run.Run(
        {.methods = Methods::Standard, .files = {P("golden.dat")}, .outputFile = P("out"), .rotation = kPlane}, port));
    EXPECT_EQ(kPlanarFit, Read("out.sfw"));
    EXPECT_EQ(0, port.secondFileQuestions);

    // The same records in two files, the second with LF line ends: one
    // stream, and the half hour that spans both is one block.
    const std::size_t cut = SplitPoint(records);
    Raw("part1.dat", records.substr(0, cut));
    Raw("part2.dat", records.substr(cut), "\n");
    ASSERT_TRUE(run.Run(
        {.methods = Methods::Standard, .files = {P("part1.dat"), P("part2.dat")}, .outputFile = P("two")}, port));
    EXPECT_EQ(kDoubleRotation, Read("two.s1w"));
    const RunTally& tally = run.Tally();
    EXPECT_EQ(130, tally.recordsRead);
    EXPECT_EQ(6, tally.samplesOutOfRange);  // CO2 on its maximum
    EXPECT_EQ(3, tally.blocksComputed);
    EXPECT_EQ(1, tally.blocksRejected);
    EXPECT_EQ(1, tally.shortBlocksSkipped);
    EXPECT_EQ(3, tally.recordsInShortBlocks);

    WriteFile(dir / "list.txt", P("part1.dat") + "\n" + P("part2.dat") + "\n");
    DesktopBatch batch;
    ASSERT_TRUE(batch.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    EXPECT_EQ(kFirstPart, Read("part1.dat.s1w"));
    EXPECT_EQ(kSecondPart, Read("part2.dat.s1w"));
    EXPECT_EQ(130, batch.Tally().recordsRead);
    ASSERT_TRUE(batch.Run({.methods = Methods::Standard, .listFile = P("list.txt"), .rotation = kPlane}, port));
    EXPECT_TRUE(Exists("part1.dat.sfw"));
    EXPECT_TRUE(Exists("part2.dat.sfw"));
    // The default mode's files are never written by the standard jobs.
    EXPECT_FALSE(Exists("out.r1w") || Exists("part1.dat.r1w") || Exists("part1.dat.rfw"));
}

TEST_F(StandardJobTest, RunChecksAndMessagesInOrder) {
    Raw("a.dat", Tower("2024-06-01", 10, 0, 60, 1));
    Raw("b.dat", Tower("2024-06-01", 10, 6, 60, 2));
    Raw("b.s1w", Tower("2024-06-01", 11, 0, 60, 3));
    fs::create_directory(dir / "sub");
#ifdef __linux__
    ASSERT_EQ(0, mkfifo((dir / "pipe.dat").c_str(), 0600));  // its open would block
#endif
    struct Case {
        std::vector<std::string> files;
        std::string output;
        RotationInputs rotation;
        std::string said;
        std::string explained;  // the file named before the message
    };
    const Case cases[] = {
        {{"a.dat"},
         "x",
         {Rotation::PlanarFit, "0", "", "0"},
         "No b0, b1 and b2 values|Please Input b0, b1,and b2 values!|!",
         ""},
        {{}, "x", {}, "No First File|Please Input the First File!|!", ""},
        {{"", "a.dat"}, "x", {}, "No First File|Please Input the First File!|!", ""},
        {{"a.dat"}, "", {}, "No Output File|Please Input the Output File!|!", ""},
        {{"a.dat", "b.s1w"}, "b", {}, kOutputIsInput, ""},
        {{"absent.dat", "a.dat"}, "x", {}, kNoFirst, "absent.dat"},
        {{"a.dat", "absent.dat"}, "x", {}, kNoSecond, "absent.dat"},
        {{"a.dat", "b.dat", "sub"}, "x", {}, kNoRaw, "sub"},  // a folder is no raw file
#ifdef __linux__
        {{"a.dat", "pipe.dat"}, "x", {}, kNoSecond, "pipe.dat"},
#endif
        {{"a.dat", "b.dat", ""}, "x", {}, kNoRaw, ""},
        {{"a.dat"}, "no-dir/x", {}, "Can't Open Output File|Can't Open Output file!|!", "no-dir/x.s1w"},
    };
    RunJob job;
    for (const Case& c : cases) {
        port = ExplainingPort{};
        std::vector<std::string> files;
        for (const std::string& f : c.files) files.push_back(P(f));
        const bool finished = job.Run(
            {.methods = Methods::Standard, .files = files, .outputFile = P(c.output), .rotation = c.rotation}, port);
        EXPECT_EQ(std::vector<std::string>{c.said}, Said()) << c.output;
        EXPECT_EQ(c.said == kFinished, finished);
        if (!c.explained.empty()) {
            EXPECT_EQ(std::vector<std::string>{P(c.explained)}, port.explained);
        }
    }
    // Nothing was created by a refused run, and no input was touched.
    EXPECT_FALSE(Exists("x.s1w"));
    EXPECT_EQ(RawHeader() + Tower("2024-06-01", 11, 0, 60, 3), Read("b.s1w"));

    // The range file is an input too.
    WriteFile(dir / "limits.ini.s1w", "U-Min\t-50\r\n");
    port = ExplainingPort{};
    EXPECT_FALSE(job.Run({.methods = Methods::Standard, .files = {P("a.dat")}, .outputFile = P("limits.ini")}, port,
                         dir / "limits.ini.s1w"));
    EXPECT_EQ(std::vector<std::string>{kOutputIsInput}, Said());
    EXPECT_EQ("U-Min\t-50\r\n", Read("limits.ini.s1w"));
}

TEST_F(StandardJobTest, AReadErrorStopsBothJobs) {
    testing::FailingStreams failing;
    Raw("a.dat", GoldenRecords());
    Raw("failing.dat", Tower("2024-07-01", 2, 0, 60, 5));
    testing::FailingStreams::bytesBeforeFailure = static_cast<long>(RawHeader().size()) + 500;
    EXPECT_FALSE(RunJob().Run(
        {.methods = Methods::Standard, .files = {P("a.dat"), P("failing.dat")}, .outputFile = P("out")}, port));
    EXPECT_EQ(std::vector<std::string>{kReadFailed}, Said());
    EXPECT_EQ(std::vector<std::string>{P("failing.dat")}, port.explained);
    // The lines of the half hours closed before the error stay; the 01:00
    // half hour, open at the end of a.dat, might go on in the unread data.
    const std::string closed = kDoubleRotation.substr(0, kDoubleRotation.find("2024-07-01 01:30"));
    EXPECT_EQ(closed, Read("out.s1w.partial"));
    EXPECT_FALSE(Exists("out.s1w"));

    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("failing.dat") + "\n");
    port = ExplainingPort{};
    EXPECT_FALSE(DesktopBatch().Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    EXPECT_EQ(std::vector<std::string>{kReadFailed}, Said());
    EXPECT_EQ(kDoubleRotation, Read("a.dat.s1w"));  // its own stream, whole
}

TEST_F(StandardJobTest, BatchChecksMessagesAndStatusTexts) {
    Raw("a.dat", Tower("2024-06-01", 10, 0, 60, 1) + Tower("2024-06-01", 10, 30, 60, 2));
    Raw("a.dat.s1w", Tower("2024-06-01", 11, 0, 60, 3));  // a raw file whose name is a results name
    Raw("b.dat", Tower("2024-06-01", 10, 0, 60, 3));

    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("a.dat.s1w") + "\n");
    DesktopBatch job;
    EXPECT_FALSE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    EXPECT_EQ(std::vector<std::string>{kOutputIsInput}, Said());
    EXPECT_FALSE(Exists("a.dat.s1w.s1w"));

    // A missing raw file stops the batch before its results file exists.
    WriteFile(dir / "list.txt", P("a.dat") + "\r\n" + P("absent.dat") + "\r\n" + P("b.dat") + "\r\n");
    port = ExplainingPort{};
    EXPECT_FALSE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt"), .rotation = kPlane}, port));
    EXPECT_EQ(std::vector<std::string>{kNoRaw}, Said());
    EXPECT_TRUE(Read("a.dat.sfw").ends_with(",60\r\n"));
    EXPECT_FALSE(Exists("absent.dat.sfw"));
    EXPECT_FALSE(Exists("b.dat.sfw"));

    // The two files share the 10:30 half hour: each gives a partial line of it.
    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("b.dat"));
    port = ExplainingPort{};
    EXPECT_TRUE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    const std::vector<std::string> said = {
        P("a.dat") + " and " + P("b.dat") +
            " share the half hour ending 2024-06-01 10:30: each file gives a line of part of its records, a partial "
            "half hour; a run over several files reads the files as one stream and joins them|Warning|!",
        kFinished};
    EXPECT_EQ(said, Said());
    // Files whose half hours interleave without a common one share none.
    Raw("c.dat", Tower("2024-06-01", 10, 0, 60, 1) + Tower("2024-06-01", 11, 0, 60, 2));  // 10:30 and 11:30
    Raw("d.dat", Tower("2024-06-01", 10, 30, 60, 3));                                     // 11:00
    WriteFile(dir / "list.txt", P("c.dat") + "\n" + P("d.dat"));
    port = ExplainingPort{};
    EXPECT_TRUE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    EXPECT_EQ(std::vector<std::string>{kFinished}, Said());
    // Three files in one half hour are three pairs.
    Raw("e.dat", Tower("2024-06-01", 10, 10, 60, 4));
    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("b.dat") + "\n" + P("e.dat"));
    port = ExplainingPort{};
    EXPECT_TRUE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));
    ASSERT_EQ(2u, Said().size());
    EXPECT_NE(std::string::npos, Said()[0].find("(3 pairs of files share half hours)")) << Said()[0];
    WriteFile(dir / "list.txt", P("a.dat") + "\n" + P("b.dat"));
    port = ExplainingPort{};
    EXPECT_TRUE(job.Run({.methods = Methods::Standard, .listFile = P("list.txt")}, port));

    const std::vector<std::string> texts = {"Processing file 1 ,record 0", "Processing file 1 ,record 1",
                                            "Processing file 1 ,record 2", "Processing file 2 ,record 0",
                                            "Processing file 2 ,record 1"};
    EXPECT_EQ(texts, port.progressTexts);
    EXPECT_EQ("", port.waitNotice);

    port = ExplainingPort{};
    EXPECT_FALSE(job.Run({.methods = Methods::Standard, .listFile = P("absent.txt")}, port));
    EXPECT_EQ(std::vector<std::string>{"Can't Open File!|File Doesn't Exit!|!"}, Said());
    port = ExplainingPort{};
    EXPECT_FALSE(job.Run({.methods = Methods::Standard, .listFile = ""}, port));
    EXPECT_EQ(std::vector<std::string>{"No Input File|Please Input the File!|!"}, Said());
}

TEST_F(StandardJobTest, ProgressFollowsTheBytesOfAllTheFiles) {
    std::string records;
    for (int k = 0; k < 4; ++k)
        records += Tower("2024-06-01", 10 + k / 2, k % 2 * 30, 2000, static_cast<std::uint32_t>(k + 1));
    const std::size_t middle = records.find('\n', records.size() / 2) + 1;
    Raw("a.dat", records.substr(0, middle));
    Raw("b.dat", records.substr(middle));
    port.bar.position = 77;  // as an earlier run left the bar
    ASSERT_TRUE(
        RunJob().Run({.methods = Methods::Standard, .files = {P("a.dat"), P("b.dat")}, .outputFile = P("out")}, port));
    EXPECT_EQ(0, port.bar.lower);
    EXPECT_EQ(100, port.bar.upper);
    EXPECT_EQ(100, port.bar.position);
    EXPECT_EQ("100%", port.percentText);
    EXPECT_EQ("position:0", port.events[2]);
}

}  // namespace
}  // namespace kelvara
