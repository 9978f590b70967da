// Gzip-compressed raw files, as archives keep them, read by every job byte
// for byte as the uncompressed file; a compressed file is known by its first
// bytes, not its name, and damage is a read failure that names the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GzipText.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "AppendJob.h"
#include "io/HeaderFields.h"
#include "io/LineAtOffset.h"
#include "io/RawBytes.h"
#include "jobs/BatchJob.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Gzipped;
using testing::ReadFile;
using testing::RecordingPort;
using testing::WriteFile;

class CompressedRawTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::ScopedEnv windir{"WINDIR", dir.path().string().c_str()};
    RecordingPort port;

    std::string P(const std::string& name) const { return (dir / name).string(); }

    // A raw file and its compressed twin.
    void WritePair(const std::string& name, const samples::SampleOptions& options) {
        ASSERT_TRUE(samples::WriteRawSample(dir / name, options));
        WriteFile(dir / (name + ".gz"), Gzipped(ReadFile(dir / name)));
    }

    // The events a job told, with the compressed file's name as the plain one's.
    std::vector<std::string> Events(const std::string& from, const std::string& to) const {
        std::vector<std::string> events;
        for (std::string event : port.events) {
            for (std::size_t at; (at = event.find(from)) != std::string::npos;) event.replace(at, from.size(), to);
            events.push_back(event);
        }
        return events;
    }

    bool Run(Methods methods, const std::vector<std::string>& files, const std::string& output) {
        port = RecordingPort{};
        std::vector<std::string> paths;
        for (const std::string& file : files) paths.push_back(P(file));
        return RunJob().Run({.methods = methods, .files = paths, .outputFile = P(output)}, port);
    }
};

TEST_F(CompressedRawTest, RunsOfBothMethodsGiveTheUncompressedFilesResultsAndMessages) {
    WritePair("a.dat", {.seed = 3, .start = "2024-06-01 09:40:00", .hours = 1.2, .hz = 20});
    WritePair("b.dat", {.seed = 4, .start = "2024-06-01 10:52:00", .hours = 0.7, .hz = 20});
    // Named as any raw file: the first bytes say it is compressed.
    fs::copy_file(dir / "a.dat.gz", dir / "a-renamed.dat");
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        const std::string suffix = methods == Methods::Default ? ".r1w" : ".s1w";
        // The standard run orders the stream by the files' first and last time stamps: given backwards.
        const std::vector<std::string> plain = methods == Methods::Default ? std::vector<std::string>{"a.dat", "b.dat"}
                                                                           : std::vector<std::string>{"b.dat", "a.dat"};
        ASSERT_TRUE(Run(methods, plain, "plain"));
        const std::vector<std::string> told = Events(P("plain"), P("out"));
        ASSERT_TRUE(Run(methods, {plain[0] + ".gz", plain[1] + ".gz"}, "out"));
        EXPECT_EQ(ReadFile(dir / ("plain" + suffix)), ReadFile(dir / ("out" + suffix)));
        EXPECT_EQ(told, Events(".dat.gz", ".dat"));
        ASSERT_TRUE(Run(methods, {"a-renamed.dat"}, "renamed"));
        ASSERT_TRUE(Run(methods, {"a.dat"}, "plain-a"));
        EXPECT_EQ(ReadFile(dir / ("plain-a" + suffix)), ReadFile(dir / ("renamed" + suffix)));
    }
}

TEST_F(CompressedRawTest, BatchFitAndAppendReadCompressedFilesAsTheirText) {
    WritePair("a.dat", {.seed = 5, .hours = 1.0});
    samples::SampleOptions table{.seed = 6, .start = "2024-06-01 01:00:00", .hours = 1.0};
    table.table = true;
    WritePair("table.dat", table);
    WriteFile(dir / "plain.txt", P("a.dat") + "\n" + P("table.dat") + "\n");
    WriteFile(dir / "packed.txt", P("a.dat.gz") + "\n" + P("table.dat.gz") + "\n");
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        const std::string suffix = methods == Methods::Default ? ".r1w" : ".s1w";
        port = RecordingPort{};
        ASSERT_EQ(BatchJob::End::Finished, BatchJob().Run({.methods = methods, .listFile = P("plain.txt")}, port));
        port = RecordingPort{};
        ASSERT_EQ(BatchJob::End::Finished, BatchJob().Run({.methods = methods, .listFile = P("packed.txt")}, port));
        // The table's header, read through the compression, names its columns.
        EXPECT_NE(std::find_if(port.events.begin(), port.events.end(),
                               [&](const std::string& event) {
                                   return event.starts_with("columns:" + P("table.dat.gz") + ": time=TIMESTAMP");
                               }),
                  port.events.end());
        for (const char* name : {"a.dat", "table.dat"}) {
            EXPECT_EQ(ReadFile(dir / (std::string(name) + suffix)),
                      ReadFile(dir / (std::string(name) + ".gz" + suffix)))
                << name;
        }
    }

    const auto plainFit = RunPlaneFitJob({.listFile = P("plain.txt")}, port);
    const auto packedFit = RunPlaneFitJob({.listFile = P("packed.txt")}, port);
    ASSERT_TRUE(plainFit && packedFit);
    EXPECT_EQ(plainFit->fit.blocksUsed, packedFit->fit.blocksUsed);
    EXPECT_EQ(plainFit->fit.refusal, packedFit->fit.refusal);
    EXPECT_EQ(plainFit->fit.b1, packedFit->fit.b1);
    EXPECT_EQ(plainFit->excluded.size(), packedFit->excluded.size());

    AppendInputs append{.headLinesText = "4", .files = {P("a.dat"), P("table.dat")}, .outputFile = P("plain-all")};
    ASSERT_TRUE(RunAppendJob(append, port));
    append = {.headLinesText = "4", .files = {P("a.dat.gz"), P("table.dat.gz")}, .outputFile = P("packed-all")};
    ASSERT_TRUE(RunAppendJob(append, port));
    EXPECT_GT(ReadFile(dir / "packed-all").size(), ReadFile(dir / "a.dat").size());
    EXPECT_EQ(ReadFile(dir / "plain-all"), ReadFile(dir / "packed-all"));
}

TEST_F(CompressedRawTest, MembersOneAfterTheOtherReadAsOneFile) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.seed = 7, .hours = 0.8}));
    const std::string text = ReadFile(dir / "a.dat");
    const std::size_t half = text.find('\n', text.size() / 2) + 1;
    WriteFile(dir / "joined.dat.gz",
              Gzipped(text.substr(0, half), Z_BEST_SPEED) + Gzipped(text.substr(half), Z_NO_COMPRESSION));
    ASSERT_TRUE(Run(Methods::Default, {"a.dat"}, "plain"));
    ASSERT_TRUE(Run(Methods::Default, {"joined.dat.gz"}, "joined"));
    EXPECT_EQ(ReadFile(dir / "plain.r1w"), ReadFile(dir / "joined.r1w"));
    // The size for the progress bar: the trailer's, of the last member.
    EXPECT_EQ(static_cast<std::int64_t>(text.size() - half), RawContentSize(dir / "joined.dat.gz"));
    EXPECT_EQ(static_cast<std::int64_t>(text.size()), RawContentSize(dir / "a.dat"));
}

TEST_F(CompressedRawTest, DamageIsAReadFailureThatNamesTheFile) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.seed = 8, .hours = 1.5}));
    const std::string packed = Gzipped(ReadFile(dir / "a.dat"));
    std::string flipped = packed;
    flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x55);
    std::string badTrailer = packed;
    badTrailer[packed.size() - 6] = static_cast<char>(badTrailer[packed.size() - 6] ^ 1);  // the CRC
    // Flipped bits may decompress to text that is no record before the
    // check at the member's end: the run stops either way, writing nothing.
    WriteFile(dir / "flipped.dat.gz", flipped);
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        EXPECT_FALSE(Run(methods, {"flipped.dat.gz"}, "out"));
        EXPECT_FALSE(fs::exists(dir / "out.r1w") || fs::exists(dir / "out.s1w"));
    }
    const std::pair<const char*, std::string> damaged[] = {
        {"cut.dat.gz", packed.substr(0, packed.size() * 2 / 3)},
        {"crc.dat.gz", badTrailer},
        {"garbage.dat.gz", packed + "not gzip"},
        {"magic-only.dat.gz", "\x1f\x8b"},
    };
    for (const auto& [name, bytes] : damaged) {
        WriteFile(dir / name, bytes);
        for (const Methods methods : {Methods::Default, Methods::Standard}) {
            EXPECT_FALSE(Run(methods, {name}, "out")) << name;
            ASSERT_FALSE(port.messages.empty()) << name;
            EXPECT_EQ("Can't Read Raw Data File!", port.messages.back().text) << name;
            const std::string explained = "explain:" + P(name) + ": the gzip-compressed data is damaged or cut short";
            EXPECT_NE(std::find(port.events.begin(), port.events.end(), explained), port.events.end())
                << name << " " << ::testing::PrintToString(port.events);
            EXPECT_FALSE(fs::exists(dir / "out.r1w")) << name;
            EXPECT_FALSE(fs::exists(dir / "out.s1w")) << name;
        }
    }
}

TEST_F(CompressedRawTest, HeaderAndLineLookupsReadTheDecompressedText) {
    const std::string text = "h1\r\n\"TIMESTAMP\",\"RECORD\",\"Ux\"\r\nunits\r\nkind\r\nfirst record\nsecond record\n";
    WriteFile(dir / "t.gz", Gzipped(text));
    std::vector<std::string> lines;
    int error = 0;
    ASSERT_EQ(HeaderRead::Read, ReadHeaderLines(dir / "t.gz", lines, error));
    EXPECT_EQ(lines[1], "\"TIMESTAMP\",\"RECORD\",\"Ux\"");
    const LineAtOffset line = FindLineAtOffset(dir / "t.gz", static_cast<std::int64_t>(text.find("second")) + 3);
    EXPECT_EQ(line.number, 6);
    EXPECT_EQ(line.text, "second record");
    std::string tail;
    bool fromStart = true;
    ASSERT_TRUE(ReadRawTail(dir / "t.gz", 10, tail, fromStart));
    EXPECT_EQ(tail, "nd record\n");
    EXPECT_FALSE(fromStart);
    ASSERT_TRUE(ReadRawTail(dir / "t.gz", 1000, tail, fromStart));
    EXPECT_EQ(tail, text);
    EXPECT_TRUE(fromStart);
}

}  // namespace
}  // namespace kelvara
