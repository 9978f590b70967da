// The append job through a recording port: what lands in the output file and
// which message the user sees; and the text-mode reader it streams through.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "AppendJob.h"
#include "RecordingPort.h"
#include "FailingStreams.h"
#include "FileSizeLimit.h"
#include "TempDir.h"
#include "TextModeReader.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace testing;

using Slots = std::array<std::string, kAppendSlotCount>;  // file contents; "" leaves the slot empty

const std::string kFirst = "head1\r\nhead2\r\na\r\nb\r\n", kSecond = "head1\r\nhead2\r\nc\r\nd\r\n";
const std::string kJoined = "head1\r\nhead2\r\na\r\nb\r\nc\r\nd\r\n";
constexpr const char* kFinished = "Processing Finished!";

class AppendJobTest : public ::testing::Test {
protected:
    AppendInputs Inputs(const std::string& headLines, const Slots& slots) {
        AppendInputs inputs{headLines, {}, (dir / "out.txt").string()};
        for (std::size_t slot = 0; slot < inputs.files.size(); ++slot) {
            if (slots[slot].empty()) continue;
            inputs.files[slot] = (dir / ("in" + std::to_string(slot + 1) + ".txt")).string();
            WriteFile(inputs.files[slot], slots[slot]);
        }
        return inputs;
    }

    // Runs the job and checks it showed exactly this one message.
    void Expect(const AppendInputs& inputs, const std::string& text, const std::string& title = "Status") {
        RecordingPort port;
        EXPECT_EQ(RunAppendJob(inputs, port), text == kFinished) << text;
        ASSERT_EQ(port.messages.size(), 1u) << text;
        EXPECT_EQ(port.messages[0].text, text);
        EXPECT_EQ(port.messages[0].title, title);
        EXPECT_EQ(port.messages[0].icon, text == kFinished ? MessageIcon::None : MessageIcon::Exclamation);
    }

    std::string Output() const { return ReadFile(dir / "out.txt"); }

    TempDir dir;
};

TEST_F(AppendJobTest, JoinsTheGivenFilesKeepingTheHeadOnce) {
    const struct {
        std::string count;
        Slots slots;
        std::string expected;
    } cases[] = {
        {"2", {kFirst, kSecond}, kJoined},
        {"2", {"", kFirst, kSecond}, kJoined},
        {"2", {"", kFirst, "", kSecond}, kJoined},
        // Zero, negative and non-numeric counts mean no head lines.
        {"0", {kFirst, kSecond}, kFirst + kSecond},
        {"-3", {kFirst, kSecond}, kFirst + kSecond},
        {"abc", {kFirst, kSecond}, kFirst + kSecond},
        {"2147483647", {"h1\nh2\n", "x\ny\n"}, "h1\r\nh2\r\n"},
        // Later head lines are dropped even when they differ from the first.
        {"1", {"H\na\n", "other\nb\n"}, "H\r\na\r\nb\r\n"},
        {"1", {"h\na\nb", "h\nc\n"}, "h\r\na\r\nbc\r\n"},
        {"3", {"h1\nh2\nh3\na\n", "x\ny\n", "h1\nh2\nh3\nb\n"}, "h1\r\nh2\r\nh3\r\na\r\nb\r\n"},
        // ASCII 28 is dropped from the data, not from copied head lines.
        {"1", {"h\x1c\r\na\x1c\x1c b\r\n\x1c", "h\n\x1c\x1c\r\nc"}, "h\x1c\r\na b\r\n\r\nc"},
        // Lone CR, 0x1A and NUL are data; LF and CR LF are line ends; CR CR LF is a CR and a line end.
        {"0", {"a\rb\x1a\r\n\nc\nd\r\r\ne\0f\r"s}, "a\rb\x1a\r\n\r\nc\r\nd\r\r\ne\0f\r"s},
        // Head lines are copied 999 characters at a time (CR LF counting as one) and skipped 499 at a time.
        {"1", {std::string(1200, 'x') + "\r\n"}, std::string(999, 'x') + "\r\n" + std::string(201, 'x') + "\r\n"},
        {"2", {std::string(998, 'y') + "\r\nz\r\nd\r\n"}, std::string(998, 'y') + "\r\nz\r\nd\r\n"},
        {"2", {"h1\nh2\na\n", std::string(600, 's') + "\r\nhead\r\nc\r\n"}, "h1\r\nh2\r\na\r\nhead\r\nc\r\n"},
        {"2", {"h1\nh2\na\n", std::string(498, 's') + "\r\nhead\r\nc\r\n"}, "h1\r\nh2\r\na\r\nc\r\n"},
    };
    for (const auto& [count, slots, expected] : cases) {
        Expect(Inputs(count, slots), kFinished);
        EXPECT_EQ(Output(), expected) << "count " << count << ", first slot " << slots[0].substr(0, 40);
    }
}

TEST_F(AppendJobTest, StreamsLargeFilesAlikeOnEveryRunAndTruncatesTheOutput) {
    // Far more than one piece and one buffer fill, cut at every kind of byte.
    std::string data, expected;
    for (int i = 0; i < 250'000; ++i) {
        data += "ab\r\nc\x1c\rd\0\n"s + std::to_string(i);
        expected += "ab\r\nc\rd\0\r\n"s + std::to_string(i);
    }
    const AppendInputs inputs = Inputs("0", {"", "", data, "", data});
    for (int run = 0; run < 2; ++run) {
        Expect(inputs, kFinished);
        EXPECT_TRUE(Output() == expected + expected);  // not EXPECT_EQ: no diff of megabytes
    }
    Expect(Inputs("2", {}), kFinished);
    EXPECT_TRUE(fs::exists(dir / "out.txt"));
    EXPECT_EQ(Output(), "");
}

TEST_F(AppendJobTest, EachFailureShowsItsMessageAndSparesTheFiles) {
    const AppendInputs base = Inputs("2", {kFirst, "", kSecond});
    WriteFile(dir / "out.txt", "keep me");
    WriteFile(dir / "big.txt", std::string(1'000'000, 'd'));
    fs::create_directory(dir / "folder");
    fs::create_symlink("/dev/full", dir / "full");
    fs::create_symlink(dir / "in3.txt", dir / "link.txt");
    fs::create_hard_link(dir / "in1.txt", dir / "hard.txt");
    const char* const kSameFile[] = {"Output File Is An Input File", "Please choose another output file!"};
    const struct {
        std::string count, input, output, text, title;
    } cases[] = {
        {"", "", "", "No File Head Lines", "Please Input the Number of File Head Lines!"},
        {"2", "", "", "No Output File", "Please Input the Output File!"},
        {"2", "missing.txt", "out.txt", "Can't Open Input File!", "Input file can't be opened!"},
        {"2", "folder", "out.txt", "Can't Open Input File!", "Input file can't be opened!"},
        {"2", "", "no such folder/out.txt", "Can't Open Output File", "Can't Open Output file!"},
        {"2", "", ".", "Can't Open Output File", "Can't Open Output file!"},
        // A device is no output to replace.
        {"2", "", "full", "Can't Open Output File", "Can't Open Output file!"},
        {"2", "", "in1.txt", kSameFile[0], kSameFile[1]},
        {"2", "", "./in3.txt", kSameFile[0], kSameFile[1]},
        {"2", "", "link.txt", kSameFile[0], kSameFile[1]},
        {"2", "", "hard.txt", kSameFile[0], kSameFile[1]},
    };
    for (const auto& [count, input, output, text, title] : cases) {
        AppendInputs inputs = base;
        inputs.headLinesText = count;
        inputs.files[3] = input.empty() ? "" : (dir / input).string();
        inputs.outputFile = output.empty() ? "" : (dir / output).string();
        Expect(inputs, text, title);
        EXPECT_EQ(ReadFile(dir / "in1.txt") + ReadFile(dir / "in3.txt") + Output(), kFirst + kSecond + "keep me")
            << text << ": " << output;
    }
}

// The reader under the job, with buffers small enough that every CR LF pair
// and every line lands on a buffer boundary somewhere: what each ReadLine (or
// ReadPiece) call returns until the end of the file.
std::vector<std::string> ReadAll(const std::string& bytes, std::size_t bufferSize, std::size_t limit,
                                 bool pieces = false) {
    TempDir dir;
    WriteFile(dir / "f", bytes);
    std::vector<char> buffer(bufferSize), out(limit);
    TextModeReader reader(buffer);
    EXPECT_TRUE(reader.Open(dir / "f"));
    std::vector<std::string> reads;
    while (!reader.AtEnd() && reads.size() <= bytes.size()) {
        const std::size_t length = pieces ? reader.ReadPiece(out.data(), limit) : reader.ReadLine(out.data(), limit);
        EXPECT_LE(length, limit);
        reads.emplace_back(out.data(), length);
    }
    return reads;
}

// An earlier output stays whole; what was written goes beside it.
TEST_F(AppendJobTest, AFullDiskKeepsTheEarlierOutputAndWhatWasWrittenBesideIt) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\n";
    WriteFile(dir / "out.txt", "an earlier output\r\n");
    for (const auto& [first, limit] : {std::pair{kFirst, 10}, std::pair{big, 100000}}) {  // at the close, mid-stream
        testing::FileSizeLimit full(static_cast<rlim_t>(limit));
        Expect(Inputs("2", {first, kSecond}), "Can't Write Output File!", "Writing the output file failed!");
    }
    EXPECT_EQ("an earlier output\r\n", Output());
    const std::string partial = ReadFile(dir / "out.txt.partial");
    EXPECT_TRUE(partial.starts_with("line 0\r\nline 1\r\nline 2")) << partial.substr(0, 40);
    EXPECT_LE(partial.size(), 100000u);
    EXPECT_EQ(4, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));  // no temporary
}

TEST_F(AppendJobTest, AReadErrorIsAFailureNeverTheEndOfTheFile) {
    FailingStreams failing;
    std::string big = "h\r\n";
    for (int i = 0; i < 20000; ++i) big += "line " + std::to_string(i) + "\r\n";
    WriteFile(dir / "failing.txt", big);
    for (const long bytes : {0L, 100L, 70000L}) {  // before any line, in the head, past a buffer
        FailingStreams::bytesBeforeFailure = bytes;
        AppendInputs inputs = Inputs("1", {kFirst});
        inputs.files[1] = (dir / "failing.txt").string();
        Expect(inputs, "Can't Read Input File!", "Reading an input file failed!");
    }
}

TEST(TextModeReader, CrLfIsOneLineFeedAtEveryBufferBoundaryAndLimit) {
    using Reads = std::vector<std::string>;
    const std::string lines = "ab\r\ncd\r\n\r\ne\rf\r\r\ng\n\x1a\r";
    const std::string pieces =
        "a\x1c\x1c"
        "b\r\n\x1c\r\x1c\n\r\r\nz\r";
    for (std::size_t bufferSize = 1; bufferSize <= lines.size() + 1; ++bufferSize) {
        EXPECT_EQ(ReadAll(lines, bufferSize, 999), (Reads{"ab\n", "cd\n", "\n", "e\rf\r\n", "g\n", "\x1a\r"}))
            << "buffer " << bufferSize;
        for (std::size_t limit = 1; limit <= 5; ++limit) {
            std::string joined;
            for (const std::string& piece : ReadAll(pieces, bufferSize, limit, true)) joined += piece;
            EXPECT_EQ(joined, "ab\n\r\n\r\nz\r") << "buffer " << bufferSize << " limit " << limit;
        }
    }
    // A line longer than the limit continues in the next read; its line feed counts toward the limit.
    EXPECT_EQ(ReadAll("abcdef\r\ngh", 3, 4), (Reads{"abcd", "ef\n", "gh"}));
    EXPECT_EQ(ReadAll("abc\r\nd", 2, 4), (Reads{"abc\n", "d"}));
    EXPECT_EQ(ReadAll("abcd\r\n", 2, 4), (Reads{"abcd", "\n"}));
}

}  // namespace
}  // namespace kelvara
