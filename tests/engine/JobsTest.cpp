// Whole single runs and batches through a recording JobPort: which messages,
// in which order, which files exist afterwards and what they hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BatchJob.h"
#include "BlockPipeline.h"
#include "EngineTestSupport.h"
#include "RawReader.h"
#include "RecordingPort.h"
#include "ResultsFile.h"
#include "SingleRunJob.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::RawHeader;
using testing::RawLine;
using testing::RawValues;
using testing::ReadFile;
using testing::RecordingPort;
using testing::ScopedEnv;
using testing::TempDir;
using testing::TowerRecords;
using testing::WriteFile;

const std::string kHeaderLine = std::string(kResultsHeader) + "\r\n";
const std::string kSixteenCommas = ",,,,,,,,,,,,,,,,";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<no CR LF>" + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

// The block lines of one raw file, from the reader and the block pipeline
// directly: what either job must write for it (short blocks skipped).
std::vector<std::string> PipelineLines(const fs::path& raw, const RotationSettings& rotation) {
    auto reader = std::make_unique<ReaderState>();
    auto block = std::make_unique<BlockBuffer>();
    std::vector<std::string> lines;
    if (!reader->first.Open(raw)) return lines;
    SkipHeaderLines(reader->first);
    reader->noSecondFile = true;
    while (!reader->endOfFirstFile) {
        int n = ReadBlock(*reader, *block);
        if (n < 5) continue;
        FluxResult result{};
        std::string time = std::string(reader->BlockDate) + " " + reader->BlockLabel;
        if (ProcessBlock(*block, n, DefaultRangeLimits(), rotation, result) == BlockOutcome::Rejected) {
            lines.push_back(time + kSixteenCommas);
        } else {
            char text[kMaxBlockLineLength];
            int length = FormatBlockLine(reader->BlockDate, reader->BlockLabel, result, text);
            lines.push_back(std::string(text, static_cast<std::size_t>(length)));
        }
    }
    return lines;
}

std::vector<std::string> WithHeader(std::vector<std::string> lines) {
    lines.insert(lines.begin(), std::string(kResultsHeader));
    return lines;
}

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const fs::path& directory) : old_(fs::current_path()) {
        fs::current_path(directory);
    }
    ~ScopedCurrentDirectory() { fs::current_path(old_); }

private:
    fs::path old_;
};

class JobTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv windir{"WINDIR", dir.path().string().c_str()};  // no range.ini: built-in defaults
    RecordingPort port;

    std::string P(const std::string& name) const { return (dir / name).string(); }
    void Raw(const std::string& name, const std::string& records) { WriteFile(dir / name, RawHeader() + records); }
    std::string Read(const std::string& name) const { return ReadFile(dir / name); }
    bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(dir / name)); }

    // Three full half hours: 10:00, 10:30 and 11:00.
    void ThreeHalfHours(const std::string& name, std::uint32_t seed = 1) {
        Raw(name, TowerRecords("2024-06-01", 10, 0, 60, seed) + TowerRecords("2024-06-01", 10, 30, 60, seed + 1) +
                      TowerRecords("2024-06-01", 11, 0, 60, seed + 2));
    }

    void ExpectOnlyMessage(const std::string& text, const std::string& title, MessageIcon icon) {
        ASSERT_EQ(1u, port.messages.size()) << (port.messages.empty() ? "" : port.messages[0].text);
        EXPECT_EQ(text, port.messages[0].text);
        EXPECT_EQ(title, port.messages[0].title);
        EXPECT_EQ(icon, port.messages[0].icon);
    }
    void ExpectFinished() { ExpectOnlyMessage("Processing Finished!", "Status", MessageIcon::None); }

    std::vector<std::string> PercentTexts() const {
        std::vector<std::string> texts;
        for (const std::string& e : port.events)
            if (e.rfind("percent:", 0) == 0) texts.push_back(e.substr(8));
        return texts;
    }
    std::vector<std::string> WaitNotices() const {
        std::vector<std::string> texts;
        for (const std::string& e : port.events)
            if (e.rfind("wait:", 0) == 0) texts.push_back(e.substr(5));
        return texts;
    }
};

// ------------------------------------------------------------- Single run

class SingleRunTest : public JobTest {
protected:
    SingleRunJob job;
    SingleRunInputs inputs;

    bool Run() { return job.Run(inputs, port); }
};

TEST_F(SingleRunTest, PlanarFitWithoutCoefficientsIsTheFirstCheck) {
    inputs.rotationChoice = 1;
    inputs.b0Text = "0.1";
    inputs.b2Text = "0.1";
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("No b0, b1 and b2 values", "Please Input b0, b1,and b2 values!", MessageIcon::Exclamation);
    EXPECT_EQ(0, port.secondFileQuestions);
}

TEST_F(SingleRunTest, MissingFirstFileText) {
    inputs.rotationChoice = 1;
    inputs.b0Text = inputs.b1Text = inputs.b2Text = " ";  // blanks count as given
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("No First File", "Please Input the First File!", MessageIcon::Exclamation);
}

TEST_F(SingleRunTest, ReInputStopsWithoutCreatingAnything) {
    ThreeHalfHours("a.dat");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    port.secondFileAnswer = SecondFileAnswer::ReInput;
    EXPECT_FALSE(Run());
    EXPECT_EQ(1, port.secondFileQuestions);
    EXPECT_TRUE(port.messages.empty());
    EXPECT_FALSE(Exists("out.r1w"));
}

TEST_F(SingleRunTest, SecondFileQuestionComesBeforeTheOutputCheck) {
    inputs.firstFile = P("a.dat");
    EXPECT_FALSE(Run());
    EXPECT_EQ(1, port.secondFileQuestions);
    ExpectOnlyMessage("No Output File", "Please Input the Output File!", MessageIcon::Exclamation);
}

TEST_F(SingleRunTest, OutputThatCannotBeCreated) {
    ThreeHalfHours("a.dat");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("no-such-directory/out");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open Output File", "Can't Open Output file!", MessageIcon::Exclamation);
}

TEST_F(SingleRunTest, MissingRawFilesLeaveTheHeaderAlone) {
    inputs.firstFile = P("absent.dat");
    inputs.outputFile = P("out");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open The First Raw Data File!", "Raw Data File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_EQ(kHeaderLine, Read("out.r1w"));

    ThreeHalfHours("a.dat");
    port = RecordingPort{};
    inputs.firstFile = P("a.dat");
    inputs.secondFile = P("absent.dat");
    inputs.outputFile = P("out2");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open The Second Raw Data File!", "Raw Data File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_EQ(kHeaderLine, Read("out2.r1w"));
}

TEST_F(SingleRunTest, WritesOneLinePerHalfHour) {
    ThreeHalfHours("a.dat");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("site1.csv");
    EXPECT_TRUE(Run());
    ExpectFinished();
    std::vector<std::string> lines = Lines(Read("site1.csv.r1w"));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(std::string(kResultsHeader), lines[0]);
    const char* times[3] = {"2024-06-01 10:30", "2024-06-01 11:0", "2024-06-01 11:30"};
    for (int k = 0; k < 3; ++k) {
        std::vector<std::string> fields = Fields(lines[static_cast<std::size_t>(k + 1)]);
        ASSERT_EQ(17u, fields.size());
        EXPECT_EQ(times[k], fields[0]);
        EXPECT_EQ("60", fields[16]);
    }
    EXPECT_EQ(WithHeader(PipelineLines(dir / "a.dat", RotationSettings{})), lines);
}

TEST_F(SingleRunTest, PlanarFitWritesRfwAndOverwrites) {
    ThreeHalfHours("a.dat");
    WriteFile(dir / "out.rfw", "old content that must go\r\n");
    inputs = {P("a.dat"), "", P("out"), 1, "0.05", "0.02", "-0.03"};
    EXPECT_TRUE(Run());
    EXPECT_FALSE(Exists("out.r1w"));
    RotationSettings planar{1, 0.05f, 0.02f, -0.03f};
    EXPECT_EQ(WithHeader(PipelineLines(dir / "a.dat", planar)), Lines(Read("out.rfw")));
}

TEST_F(SingleRunTest, CoefficientTextsConvertAsAtof) {
    ThreeHalfHours("a.dat");
    inputs = {P("a.dat"), "", P("zero"), 1, "abc", "0", "0"};
    ASSERT_TRUE(Run());
    inputs = {P("a.dat"), "", P("plain"), 1, "0", "0", "0"};
    ASSERT_TRUE(Run());
    EXPECT_EQ(Read("plain.rfw"), Read("zero.rfw"));

    // A long text is taken whole, not cut at 11 characters.
    inputs = {P("a.dat"), "", P("long"), 1, "0", "0.00000000005e9", "0"};
    ASSERT_TRUE(Run());
    inputs = {P("a.dat"), "", P("short"), 1, "0", "0.05", "0"};
    ASSERT_TRUE(Run());
    EXPECT_EQ(Read("short.rfw"), Read("long.rfw"));
    EXPECT_NE(Read("plain.rfw"), Read("short.rfw"));
}

TEST_F(SingleRunTest, SecondFileCompletesTheLastBlockOnly) {
    Raw("a.dat", TowerRecords("2024-06-01", 12, 0, 50, 3));
    Raw("b.dat", TowerRecords("2024-06-01", 12, 15, 30, 4) + TowerRecords("2024-06-01", 12, 30, 40, 5));
    inputs.firstFile = P("a.dat");
    inputs.secondFile = P("b.dat");
    inputs.outputFile = P("out");
    EXPECT_TRUE(Run());
    ExpectFinished();
    std::vector<std::string> lines = Lines(Read("out.r1w"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("2024-06-01 12:30", Fields(lines[1])[0]);
    EXPECT_EQ("80", Fields(lines[1])[16]);
}

TEST_F(SingleRunTest, HeaderOnlyFirstFileGivesHeaderAlone) {
    Raw("a.dat", "");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    EXPECT_TRUE(Run());
    ExpectFinished();
    EXPECT_EQ(kHeaderLine, Read("out.r1w"));
}

TEST_F(SingleRunTest, ShortBlockEndsTheRun) {
    Raw("a.dat", TowerRecords("2024-06-01", 10, 0, 60, 1) + TowerRecords("2024-06-01", 10, 30, 4, 2) +
                     TowerRecords("2024-06-01", 11, 0, 60, 3));
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    EXPECT_TRUE(Run());
    ExpectFinished();
    std::vector<std::string> lines = Lines(Read("out.r1w"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("2024-06-01 10:30", Fields(lines[1])[0]);
}

TEST_F(SingleRunTest, RejectedBlockAndLateBlockLines) {
    std::string records = TowerRecords("2024-06-01", 23, 0, 60, 1);
    RawValues tooMuchCO2;
    tooMuchCO2.co2 = 1500.0;  // equal to the maximum: out of range
    for (int i = 0; i < 20; ++i) records += RawLine("2024-06-01", testing::Clock(23, 30, i * 0.1), tooMuchCO2);
    records += TowerRecords("2024-06-02", 0, 0, 60, 2);
    Raw("a.dat", records);
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    EXPECT_TRUE(Run());
    std::vector<std::string> lines = Lines(Read("out.r1w"));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("2024-06-01 23:30", Fields(lines[1])[0]);
    EXPECT_EQ("2024-06-01 0:0" + kSixteenCommas, lines[2]);
    EXPECT_EQ("2024-06-02 0:30", Fields(lines[3])[0]);
}

TEST_F(SingleRunTest, RangeFileIsReadAtEveryPress) {
    ThreeHalfHours("a.dat");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    WriteFile(dir / "range.ini", "U-Min\t-50\nU-Max\t50\nV-Min\t-50\nV-Max\t50\nW-Min\t-50\nW-Max\t50\n"
                                 "CO2-Min\t0\nCO2-Max\t600\nH2O-Min\t-20\nH2O-Max\t100\nTs-Min\t-50\n"
                                 "Ts-Max\t50\nP-Min\t30\nP-Max\t150\n");
    ASSERT_TRUE(Run());
    std::vector<std::string> lines = Lines(Read("out.r1w"));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("2024-06-01 10:30" + kSixteenCommas, lines[1]);
    EXPECT_EQ("2024-06-01 11:30" + kSixteenCommas, lines[3]);

    fs::rename(dir / "range.ini", dir / "limits.ini");
    ASSERT_TRUE(Run());
    EXPECT_EQ(WithHeader(PipelineLines(dir / "a.dat", RotationSettings{})), Lines(Read("out.r1w")));

    // A named range file replaces range.ini.
    ASSERT_TRUE(job.Run(inputs, port, dir / "limits.ini"));
    EXPECT_EQ("2024-06-01 11:0" + kSixteenCommas, Lines(Read("out.r1w"))[2]);
}

TEST_F(SingleRunTest, OutputThatNamesAnInputIsRefused) {
    ThreeHalfHours("data.r1w");
    ThreeHalfHours("two.rfw", 7);
    const std::string first = Read("data.r1w"), second = Read("two.rfw");
    fs::create_symlink(dir / "data.r1w", dir / "link.r1w");
    struct Case {
        std::string output;
        int choice;
    };
    for (const Case& c : {Case{"data", 0}, Case{"link", 0}, Case{"two", 1}, Case{"sub/../data", 0}}) {
        port = RecordingPort{};
        inputs = {P("data.r1w"), P("two.rfw"), P(c.output), c.choice, "0", "0", "0"};
        EXPECT_FALSE(Run()) << c.output;
        ExpectOnlyMessage("Output File Is An Input File", "Please choose another output file!", MessageIcon::Exclamation);
        EXPECT_EQ(first, Read("data.r1w"));
        EXPECT_EQ(second, Read("two.rfw"));
        fs::create_directories(dir / "sub");
    }
}

#ifdef __linux__
TEST_F(SingleRunTest, FailedWriteStopsWithItsOwnMessage) {
    ThreeHalfHours("a.dat");
    fs::create_symlink("/dev/full", dir / "full.r1w");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("full");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Write Output File!", "Writing the output file failed!", MessageIcon::Exclamation);
}
#endif

TEST_F(SingleRunTest, ProgressOfASmallFileCountsAsOneBlock) {
    ThreeHalfHours("a.dat");
    ASSERT_LT(fs::file_size(dir / "a.dat"), 1453990u);
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    ASSERT_TRUE(Run());
    EXPECT_EQ(0, port.progressLower);
    EXPECT_EQ(100, port.progressUpper);
    EXPECT_EQ(100, port.progressStep);
    // The last block, during which the file ended, shows no percentage.
    EXPECT_EQ((std::vector<std::string>{"100%", "200%"}), PercentTexts());
    EXPECT_EQ(2, port.progressSteps);
    EXPECT_EQ(100, port.progressPosition);
}

TEST_F(SingleRunTest, ProgressStepsOncePerRiseAndRestartsAtZero) {
    std::string records;
    for (int k = 0; k < 4; ++k) records += TowerRecords("2024-06-01", 10 + k / 2, (k % 2) * 30, 10000, k + 1);
    Raw("big.dat", records);
    ASSERT_EQ(2u, fs::file_size(dir / "big.dat") / 1453990u) << "the file must estimate two blocks";
    inputs.firstFile = P("big.dat");
    inputs.outputFile = P("out");
    for (int run = 0; run < 2; ++run) {
        port = RecordingPort{};
        port.progressPosition = 77;  // the bar as a previous run left it
        ASSERT_TRUE(Run());
        EXPECT_EQ(50, port.progressStep);
        EXPECT_EQ((std::vector<std::string>{"50%", "100%", "150%"}), PercentTexts());
        EXPECT_EQ(3, port.progressSteps);
        auto reset = std::find(port.events.begin(), port.events.end(), "position:0");
        auto firstStep = std::find(port.events.begin(), port.events.end(), "step");
        EXPECT_TRUE(reset < firstStep) << "the bar must start at 0";
        EXPECT_EQ(100, port.progressPosition);
    }
}

TEST_F(SingleRunTest, SecondPressGivesTheSameFile) {
    ThreeHalfHours("a.dat");
    inputs.firstFile = P("a.dat");
    inputs.outputFile = P("out");
    ASSERT_TRUE(Run());
    std::string first = Read("out.r1w");
    ASSERT_TRUE(Run());
    EXPECT_EQ(first, Read("out.r1w"));
    EXPECT_EQ(2u, port.messages.size());
}

// ------------------------------------------------------------------ Batch

class BatchTest : public JobTest {
protected:
    BatchJob job;
    BatchInputs inputs;

    bool Run() { return job.Run(inputs, port); }
    void List(const std::string& text) {
        WriteFile(dir / "list.txt", text);
        inputs.listFile = P("list.txt");
    }
};

TEST_F(BatchTest, OneResultsFilePerNameAndTheStatusTexts) {
    Raw("a.dat", TowerRecords("2024-06-01", 10, 0, 60, 1) + TowerRecords("2024-06-01", 10, 30, 60, 2));
    Raw("b.dat", TowerRecords("2024-06-02", 8, 0, 60, 3));
    List(P("a.dat") + "\n" + P("b.dat"));
    EXPECT_TRUE(Run());
    ExpectFinished();
    EXPECT_EQ(WithHeader(PipelineLines(dir / "a.dat", RotationSettings{})), Lines(Read("a.dat.r1w")));
    EXPECT_EQ(WithHeader(PipelineLines(dir / "b.dat", RotationSettings{})), Lines(Read("b.dat.r1w")));
    EXPECT_EQ(3u, Lines(Read("a.dat.r1w")).size());
    EXPECT_EQ((std::vector<std::string>{"Processing file 1 ,record 0", "Processing file 1 ,record 1",
                                        "Processing file 1 ,record 2", "Processing file 1 ,record 3",
                                        "Processing file 2 ,record 0", "Processing file 2 ,record 1",
                                        "Processing file 3 ,record 0"}),
              port.progressTexts);
    EXPECT_EQ((std::vector<std::string>{"Please wait, it will take a long time!", ""}), WaitNotices());
}

TEST_F(BatchTest, PlanarFitAndTrailingLineEndCreateNothingElse) {
    ThreeHalfHours("a.dat");
    ThreeHalfHours("b.dat", 9);
    List(P("a.dat") + "\r\n" + P("b.dat") + "\r\n");
    inputs.rotationChoice = 1;
    inputs.b0Text = "0.05";
    inputs.b1Text = "0.02";
    inputs.b2Text = "-0.03";
    EXPECT_TRUE(Run());
    ExpectFinished();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"a.dat", "a.dat.rfw", "b.dat", "b.dat.rfw", "list.txt"}), names);
    RotationSettings planar{1, 0.05f, 0.02f, -0.03f};
    EXPECT_EQ(WithHeader(PipelineLines(dir / "b.dat", planar)), Lines(Read("b.dat.rfw")));
}

TEST_F(BatchTest, MatchesTheSingleRunOfEachFile) {
    std::string records = TowerRecords("2024-06-01", 23, 0, 60, 1);
    RawValues tooMuchCO2;
    tooMuchCO2.co2 = 1600.0;
    for (int i = 0; i < 20; ++i) records += RawLine("2024-06-01", testing::Clock(23, 30, i * 0.1), tooMuchCO2);
    records += TowerRecords("2024-06-02", 0, 0, 60, 2);
    Raw("a.dat", records);
    List(P("a.dat"));
    ASSERT_TRUE(Run());
    SingleRunJob single;
    SingleRunInputs one{P("a.dat"), "", P("single"), 0, "", "", ""};
    ASSERT_TRUE(single.Run(one, port));
    EXPECT_EQ(Read("single.r1w"), Read("a.dat.r1w"));
}

TEST_F(BatchTest, CheckOrderAndMessages) {
    inputs.rotationChoice = 1;
    inputs.b0Text = inputs.b2Text = "1";
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("No b0, b1 and b2 values", "Please Input b0, b1,and b2 values!", MessageIcon::Exclamation);

    port = RecordingPort{};
    inputs.rotationChoice = 0;  // empty coefficients are fine without the planar fit
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("No Input File", "Please Input the File!", MessageIcon::Exclamation);

    port = RecordingPort{};
    inputs.listFile = P("absent-list.txt");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open File!", "File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_TRUE(WaitNotices().empty());

    port = RecordingPort{};
    List((dir / "no-such-directory" / "x.dat").string() + "\n");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open Output File!", "Open Output File Failed!", MessageIcon::Exclamation);
    EXPECT_EQ("Please wait, it will take a long time!", port.waitNotice);
}

TEST_F(BatchTest, MissingRawFileStopsTheBatchThere) {
    ThreeHalfHours("a.dat");
    ThreeHalfHours("c.dat");
    List(P("a.dat") + "\n" + P("b.dat") + "\n" + P("c.dat") + "\n");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_EQ(4u, Lines(Read("a.dat.r1w")).size());
    EXPECT_EQ(kHeaderLine, Read("b.dat.r1w"));
    EXPECT_FALSE(Exists("c.dat.r1w"));
    EXPECT_EQ("Please wait, it will take a long time!", port.waitNotice);
}

TEST_F(BatchTest, EmptyLineIsAnEmptyName) {
    ThreeHalfHours("a.dat");
    ThreeHalfHours("b.dat");
    List(P("a.dat") + "\n\n" + P("b.dat") + "\n");
    {
        ScopedCurrentDirectory here(dir.path());
        EXPECT_FALSE(Run());
    }
    ExpectOnlyMessage("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_EQ(4u, Lines(Read("a.dat.r1w")).size());
    EXPECT_EQ(kHeaderLine, Read(".r1w"));
    EXPECT_FALSE(Exists("b.dat.r1w"));
}

TEST_F(BatchTest, EmptyListFile) {
    List("");
    {
        ScopedCurrentDirectory here(dir.path());
        inputs.rotationChoice = 1;
        inputs.b0Text = inputs.b1Text = inputs.b2Text = "0";
        EXPECT_FALSE(Run());
    }
    ExpectOnlyMessage("Can't Open Raw Data File!", "Raw Data File Doesn't Exit!", MessageIcon::Exclamation);
    EXPECT_EQ(kHeaderLine, Read(".rfw"));
}

TEST_F(BatchTest, ShortBlocksAreSkippedAndTheBatchGoesOn) {
    Raw("a.dat", TowerRecords("2024-06-01", 10, 0, 60, 1) + TowerRecords("2024-06-01", 10, 30, 4, 2) +
                     TowerRecords("2024-06-01", 11, 0, 60, 3));
    Raw("empty.dat", "");
    ThreeHalfHours("c.dat");
    List(P("a.dat") + "\n" + P("empty.dat") + "\n" + P("c.dat"));
    EXPECT_TRUE(Run());
    ExpectFinished();
    std::vector<std::string> lines = Lines(Read("a.dat.r1w"));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("2024-06-01 10:30", Fields(lines[1])[0]);
    EXPECT_EQ("2024-06-01 11:30", Fields(lines[2])[0]);
    EXPECT_EQ(kHeaderLine, Read("empty.dat.r1w"));
    EXPECT_EQ(4u, Lines(Read("c.dat.r1w")).size());
}

TEST_F(BatchTest, CarriedRecordNeverEntersTheNextFile) {
    // a.dat ends with a record of a new half hour (no line end after it);
    // b.dat begins in that same half hour on another day.
    std::string a = TowerRecords("2024-01-01", 10, 0, 10, 1);
    RawValues odd;
    odd.u = 9.0;
    a += RawLine("2024-01-01", "10:31:00.0", odd, 0, "");
    Raw("a.dat", a);
    std::string b;
    for (int i = 0; i < 10; ++i) b += RawLine("2024-01-02", testing::Clock(10, 32, i * 0.1), RawValues{});
    Raw("b.dat", b);
    List(P("a.dat") + "\n" + P("b.dat") + "\n");
    EXPECT_TRUE(Run());
    std::vector<std::string> lines = Lines(Read("b.dat.r1w"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("2024-01-02 11:0", Fields(lines[1])[0]);
    EXPECT_EQ("10", Fields(lines[1])[16]);
}

TEST_F(BatchTest, ResultsFileThatNamesAnInputIsRefused) {
    ThreeHalfHours("a.dat");
    const std::string raw = Read("a.dat");
    fs::create_symlink(dir / "a.dat", dir / "a.dat.r1w");
    List(P("a.dat") + "\n");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Output File Is An Input File", "Please choose another output file!", MessageIcon::Exclamation);
    EXPECT_EQ(raw, Read("a.dat"));

    port = RecordingPort{};
    WriteFile(dir / "L.r1w", P("L") + "\n");
    inputs.listFile = P("L.r1w");
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Output File Is An Input File", "Please choose another output file!", MessageIcon::Exclamation);
    EXPECT_EQ(P("L") + "\n", Read("L.r1w"));
}

#ifdef __linux__
TEST_F(BatchTest, FailedWriteStopsWithItsOwnMessage) {
    ThreeHalfHours("a.dat");
    fs::create_symlink("/dev/full", dir / "a.dat.r1w");
    List(P("a.dat"));
    EXPECT_FALSE(Run());
    ExpectOnlyMessage("Can't Write Output File!", "Writing the output file failed!", MessageIcon::Exclamation);
}
#endif

TEST_F(BatchTest, LongNamesAreTakenWhole) {
    fs::path deep = dir.path();
    for (int i = 0; i < 3; ++i) deep /= std::string(90, static_cast<char>('p' + i));
    fs::create_directories(deep);
    fs::path raw = deep / "a.dat";
    ASSERT_GT(raw.string().size(), 250u);
    WriteFile(raw, RawHeader() + TowerRecords("2024-06-01", 10, 0, 60, 1));
    List(raw.string() + "\n");
    EXPECT_TRUE(Run());
    ExpectFinished();
    EXPECT_EQ(2u, Lines(ReadFile(deep / "a.dat.r1w")).size());
}

TEST_F(BatchTest, RangeLimitsApplyToEveryFileAndRunsRepeat) {
    ThreeHalfHours("a.dat");
    ThreeHalfHours("b.dat", 5);
    WriteFile(dir / "range.ini", "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
                                 "CO2-Min\t0\r\nCO2-Max\t1500\r\nH2O-Min\t100\r\nH2O-Max\t-20\r\nTs-Min\t-50\r\n"
                                 "Ts-Max\t50\r\nP-Min\t30\r\nP-Max\t150\r\n");
    List(P("a.dat") + "\n" + P("b.dat"));
    ASSERT_TRUE(Run());
    for (const char* name : {"a.dat.r1w", "b.dat.r1w"}) {
        std::vector<std::string> lines = Lines(Read(name));
        ASSERT_EQ(4u, lines.size());
        for (std::size_t k = 1; k < 4; ++k) EXPECT_EQ(kSixteenCommas, lines[k].substr(lines[k].size() - 16));
    }
    fs::remove(dir / "range.ini");
    ASSERT_TRUE(Run());
    std::string first = Read("b.dat.r1w");
    ASSERT_TRUE(Run());
    EXPECT_EQ(first, Read("b.dat.r1w"));
    EXPECT_EQ(WithHeader(PipelineLines(dir / "b.dat", RotationSettings{})), Lines(first));
}

}  // namespace
}  // namespace kelvara
