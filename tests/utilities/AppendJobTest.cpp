// The append job through a recording port: what lands in the output file and
// which message the user sees.

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "AppendJob.h"
#include "RecordingPort.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RecordingPort;
using testing::TempDir;
using testing::WriteFile;

class AppendJobTest : public ::testing::Test {
protected:
    // Writes each non-empty content into its own file; "" leaves the slot empty.
    AppendInputs Inputs(const std::string& headLines, std::initializer_list<const char*> slots) {
        AppendInputs inputs;
        inputs.headLinesText = headLines;
        int slot = 0;
        for (const char* content : slots) {
            if (content != nullptr) {
                const fs::path file = dir / ("in" + std::to_string(slot + 1) + ".txt");
                WriteFile(file, content);
                inputs.files[slot] = file.string();
            }
            ++slot;
        }
        inputs.outputFile = (dir / "out.txt").string();
        return inputs;
    }

    bool Run(const AppendInputs& inputs) { return RunAppendJob(inputs, port); }
    std::string Output() const { return ReadFile(dir / "out.txt"); }

    void ExpectFinished(bool result) const {
        EXPECT_TRUE(result);
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, "Processing Finished!");
        EXPECT_EQ(port.messages[0].title, "Status");
        EXPECT_EQ(port.messages[0].icon, MessageIcon::None);
    }

    void ExpectOnlyWarning(bool result, const char* text, const char* title) const {
        EXPECT_FALSE(result);
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, text);
        EXPECT_EQ(port.messages[0].title, title);
        EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
    }

    TempDir dir;
    RecordingPort port;
};

constexpr const char* kFirst = "head1\r\nhead2\r\na\r\nb\r\n";
constexpr const char* kSecond = "head1\r\nhead2\r\nc\r\nd\r\n";
constexpr const char* kJoined = "head1\r\nhead2\r\na\r\nb\r\nc\r\nd\r\n";

TEST_F(AppendJobTest, HeadLinesComeOnceFromTheFirstNonEmptySlotWhateverThePattern) {
    ExpectFinished(Run(Inputs("2", {kFirst, kSecond})));
    EXPECT_EQ(Output(), kJoined);

    port = {};
    ExpectFinished(Run(Inputs("2", {nullptr, kFirst, kSecond})));
    EXPECT_EQ(Output(), kJoined);

    port = {};
    ExpectFinished(Run(Inputs("2", {kFirst, nullptr, nullptr, kSecond})));
    EXPECT_EQ(Output(), kJoined);

    port = {};
    ExpectFinished(Run(Inputs("2", {nullptr, nullptr, nullptr, nullptr, nullptr, kFirst})));
    EXPECT_EQ(Output(), kFirst);
}

TEST_F(AppendJobTest, LaterHeadLinesAreDroppedEvenWhenTheyDiffer) {
    ExpectFinished(Run(Inputs("1", {"H\na\n", "other\nb\n", "third\nc\n"})));
    EXPECT_EQ(Output(), "H\r\na\r\nb\r\nc\r\n");
}

TEST_F(AppendJobTest, CountTextFollowsAtoi) {
    // Zero, letters and negative counts: nothing is a head line.
    for (const char* count : {"0", "abc", "-3", "   "}) {
        port = {};
        ExpectFinished(Run(Inputs(count, {kFirst, kSecond})));
        EXPECT_EQ(Output(), "head1\r\nhead2\r\na\r\nb\r\nhead1\r\nhead2\r\nc\r\nd\r\n") << count;
    }
    // Leading blanks skipped, trailing letters ignored.
    for (const char* count : {" 2", "2abc", "+2"}) {
        port = {};
        ExpectFinished(Run(Inputs(count, {kFirst, kSecond})));
        EXPECT_EQ(Output(), kJoined) << count;
    }
}

TEST_F(AppendJobTest, LongCountTextIsTakenWhole) {
    // Cut to 7 characters it would read as 0.
    ExpectFinished(Run(Inputs("0000000000002", {kFirst, kSecond})));
    EXPECT_EQ(Output(), kJoined);
}

TEST_F(AppendJobTest, HugeCountOnSmallFilesEndsAtTheFilesEnds) {
    ExpectFinished(Run(Inputs("2147483647", {"h1\nh2\n", "x\ny\n"})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\n");
}

TEST_F(AppendJobTest, LastLineWithoutLineEndRunsIntoTheNextFile) {
    ExpectFinished(Run(Inputs("1", {"h\na\nb", "h\nc\n"})));
    EXPECT_EQ(Output(), "h\r\na\r\nbc\r\n");
}

TEST_F(AppendJobTest, LaterFileShorterThanTheHeadContributesNothing) {
    ExpectFinished(Run(Inputs("3", {"h1\nh2\nh3\na\n", "x\ny\n", "h1\nh2\nh3\nb\n"})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\nh3\r\na\r\nb\r\n");
}

TEST_F(AppendJobTest, FirstFileShorterThanTheHeadGivesOnlyTheLinesItHas) {
    ExpectFinished(Run(Inputs("5", {"h1\nh2\n", "1\n2\n3\n4\n5\nc\n"})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\nc\r\n");

    port = {};
    ExpectFinished(Run(Inputs("3", {"h1\nh2", "1\n2\n3\nc\n"})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\nc\r\n");

    port = {};
    ExpectFinished(Run(Inputs("3", {"", "1\n2\n3\nc\n"})));
    EXPECT_EQ(Output(), "c\r\n");
}

TEST_F(AppendJobTest, FileSeparatorIsDroppedFromDataButNotFromHeadLines) {
    ExpectFinished(Run(Inputs("1", {"h\x1c\r\na\x1c\x1c b\r\n\x1c", "h\n\x1c\x1c\r\nc"})));
    EXPECT_EQ(Output(), "h\x1c\r\na b\r\n\r\nc");
}

TEST_F(AppendJobTest, LineEndsAreReadAsATextStreamAndWrittenAsCrLf) {
    // A lone CR, 0x1A and NUL are data; a lone LF and CR LF are line ends;
    // blank lines survive; CR CR LF is a CR followed by a line end.
    const std::string data = std::string("a\rb\x1a") + "\r\n" + "\n" + "c\n" + "d\r\r\n" +
                             std::string("e\0f", 3) + "\r";
    WriteFile(dir / "data.txt", data);
    AppendInputs inputs;
    inputs.headLinesText = "0";
    inputs.files[0] = (dir / "data.txt").string();
    inputs.outputFile = (dir / "out.txt").string();
    ExpectFinished(Run(inputs));
    EXPECT_EQ(Output(), std::string("a\rb\x1a\r\n\r\nc\r\nd\r\r\n") + std::string("e\0f", 3) + "\r");
}

TEST_F(AppendJobTest, HeadLineLongerThan999CharactersIsCopiedInTwoParts) {
    const std::string longLine(1200, 'x');
    ExpectFinished(Run(Inputs("1", {(longLine + "\r\ndata\r\n").c_str()})));
    EXPECT_EQ(Output(), std::string(999, 'x') + "\r\n" + std::string(201, 'x') + "\r\ndata\r\n");
}

TEST_F(AppendJobTest, CrLfCountsAsOneCharacterTowardTheReadLimit) {
    // 998 characters and CR LF fit one read of 999; were CR LF two
    // characters, the LF would make a blank second head line.
    const std::string line998(998, 'y');
    ExpectFinished(Run(Inputs("2", {(line998 + "\r\nz\r\ndata\r\n").c_str()})));
    EXPECT_EQ(Output(), line998 + "\r\nz\r\ndata\r\n");

    // 999 characters fill the read; the line end then makes the next line.
    const std::string line999(999, 'y');
    port = {};
    ExpectFinished(Run(Inputs("2", {(line999 + "\r\nz\r\ndata\r\n").c_str()})));
    EXPECT_EQ(Output(), line999 + "\r\n\r\nz\r\ndata\r\n");
}

TEST_F(AppendJobTest, SkippedHeadLineLongerThan499CharactersUsesTwoSkips) {
    const std::string line600(600, 's');
    ExpectFinished(Run(Inputs("2", {"h1\nh2\na\n", (line600 + "\r\nsecond head\r\nc\r\n").c_str()})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\na\r\nsecond head\r\nc\r\n");

    // 498 characters and CR LF take a single skip.
    const std::string line498(498, 's');
    port = {};
    ExpectFinished(Run(Inputs("2", {"h1\nh2\na\n", (line498 + "\r\nsecond head\r\nc\r\n").c_str()})));
    EXPECT_EQ(Output(), "h1\r\nh2\r\na\r\nc\r\n");
}

TEST_F(AppendJobTest, LargeDataPartStreamsIntactAcrossPiecesAndBufferFills) {
    // Several megabytes of mixed bytes: every CR LF, lone CR, 0x1C and NUL
    // wherever the pieces and buffer fills happen to cut.
    std::string data;
    unsigned state = 12345;
    while (data.size() < 3'000'000) {
        state = state * 1103515245u + 12345u;
        switch ((state >> 16) % 16) {
            case 0: data += "\r\n"; break;
            case 1: data += '\n'; break;
            case 2: data += '\r'; break;
            case 3: data += '\x1c'; break;
            case 4: data += '\0'; break;
            case 5: data += '\x1a'; break;
            default: data += static_cast<char>('a' + (state >> 8) % 26);
        }
    }
    // Read as a text stream, separators dropped, written as a text stream.
    std::string expected;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\x1c') continue;
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        if (data[i] == '\n') expected += '\r';
        expected += data[i];
    }
    WriteFile(dir / "big.txt", data);
    AppendInputs inputs;
    inputs.headLinesText = "0";
    inputs.files[2] = (dir / "big.txt").string();
    inputs.files[4] = (dir / "big.txt").string();
    inputs.outputFile = (dir / "out.txt").string();
    ExpectFinished(Run(inputs));
    const std::string output = Output();
    ASSERT_EQ(output.size(), 2 * expected.size());
    EXPECT_TRUE(output == expected + expected);
}

TEST_F(AppendJobTest, RunningTwiceTruncatesAndWritesTheSameOutput) {
    WriteFile(dir / "out.txt", std::string(5000, 'o'));
    const AppendInputs inputs = Inputs("2", {kFirst, kSecond});
    ExpectFinished(Run(inputs));
    EXPECT_EQ(Output(), kJoined);
    port = {};
    ExpectFinished(Run(inputs));
    EXPECT_EQ(Output(), kJoined);
}

TEST_F(AppendJobTest, SixEmptySlotsGiveAnEmptyOutputFile) {
    WriteFile(dir / "out.txt", "old");
    ExpectFinished(Run(Inputs("2", {})));
    ASSERT_TRUE(fs::exists(dir / "out.txt"));
    EXPECT_EQ(Output(), "");
}

TEST_F(AppendJobTest, EmptyCountIsReportedFirst) {
    AppendInputs inputs = Inputs("", {kFirst});
    inputs.outputFile.clear();
    ExpectOnlyWarning(Run(inputs), "No File Head Lines", "Please Input the Number of File Head Lines!");
}

TEST_F(AppendJobTest, EmptyOutputTextIsReported) {
    AppendInputs inputs = Inputs("2", {kFirst});
    inputs.outputFile.clear();
    ExpectOnlyWarning(Run(inputs), "No Output File", "Please Input the Output File!");
}

TEST_F(AppendJobTest, InputThatCannotBeOpenedStopsBeforeTheOutputIsTouched) {
    WriteFile(dir / "out.txt", "keep me");
    AppendInputs inputs = Inputs("2", {kFirst, kSecond});
    inputs.files[3] = (dir / "missing.txt").string();
    ExpectOnlyWarning(Run(inputs), "Can't Open Input File!", "Input file can't be opened!");
    EXPECT_EQ(Output(), "keep me");

    port = {};
    fs::create_directory(dir / "folder");
    inputs.files[3] = (dir / "folder").string();
    ExpectOnlyWarning(Run(inputs), "Can't Open Input File!", "Input file can't be opened!");
    EXPECT_EQ(Output(), "keep me");
}

TEST_F(AppendJobTest, MissingInputIsReportedBeforeOutputThatIsAnInput) {
    AppendInputs inputs = Inputs("2", {kFirst});
    inputs.files[1] = (dir / "missing.txt").string();
    inputs.outputFile = inputs.files[0];
    ExpectOnlyWarning(Run(inputs), "Can't Open Input File!", "Input file can't be opened!");
    EXPECT_EQ(ReadFile(dir / "in1.txt"), kFirst);
}

TEST_F(AppendJobTest, OutputThatIsAnInputIsRefusedHoweverItIsSpelled) {
    const AppendInputs base = Inputs("2", {kFirst, nullptr, kSecond});
    fs::create_symlink(dir / "in3.txt", dir / "link.txt");
    fs::create_hard_link(dir / "in1.txt", dir / "hard.txt");
    for (const fs::path& output : {dir / "in1.txt", dir / "." / "in3.txt", dir / "link.txt", dir / "hard.txt"}) {
        port = {};
        AppendInputs inputs = base;
        inputs.outputFile = output.string();
        ExpectOnlyWarning(Run(inputs), "Output File Is An Input File", "Please choose another output file!");
        EXPECT_EQ(ReadFile(dir / "in1.txt"), kFirst) << output;
        EXPECT_EQ(ReadFile(dir / "in3.txt"), kSecond) << output;
    }
}

TEST_F(AppendJobTest, OutputThatCannotBeCreatedIsReported) {
    AppendInputs inputs = Inputs("2", {kFirst});
    inputs.outputFile = (dir / "no such folder" / "out.txt").string();
    ExpectOnlyWarning(Run(inputs), "Can't Open Output File", "Can't Open Output file!");

    port = {};
    inputs.outputFile = dir.path().string();
    ExpectOnlyWarning(Run(inputs), "Can't Open Output File", "Can't Open Output file!");
}

TEST_F(AppendJobTest, FailedWriteIsReportedInsteadOfFinished) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    fs::create_symlink("/dev/full", dir / "full");
    // A few bytes (failing when the output is closed) and several buffers'
    // worth (failing while the data streams).
    for (const std::string& data : {std::string("h\na\n"), std::string(1'000'000, 'd')}) {
        port = {};
        WriteFile(dir / "data.txt", data);
        AppendInputs inputs;
        inputs.headLinesText = "1";
        inputs.files[0] = (dir / "data.txt").string();
        inputs.files[1] = (dir / "data.txt").string();
        inputs.outputFile = (dir / "full").string();
        ExpectOnlyWarning(Run(inputs), "Can't Write Output File!", "Writing the output file failed!");
    }
}

TEST_F(AppendJobTest, OutputNameLongerThan99CharactersIsTakenWhole) {
    const fs::path folder = dir / std::string(120, 'f');
    fs::create_directory(folder);
    AppendInputs inputs = Inputs("2", {kFirst, kSecond});
    inputs.outputFile = (folder / std::string(100, 'o')).string();
    ExpectFinished(Run(inputs));
    EXPECT_EQ(ReadFile(inputs.outputFile), kJoined);
}

}  // namespace
}  // namespace kelvara
