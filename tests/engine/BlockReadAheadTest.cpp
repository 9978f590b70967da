// The read-ahead gives block for block what the reader gives when called
// directly: the same samples, counts, labels and end, the second file's
// continuation, and a read error as the last block.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "TempDir.h"
#include "io/BlockReadAhead.h"
#include "io/RawReader.h"

namespace kelvara {
namespace {

using testing::FailingStreams;
using testing::RawHeader;
using testing::Tower;
using testing::WriteFile;

// One block as the job sees it, in text, samples included.
std::string Describe(int count, bool ended, int error, const RawReader::Counts& counts, const char* date,
                     const char* label, const BlockBuffer& block) {
    std::string text = std::to_string(count) + (ended ? " ended " : " ") + std::to_string(error) + " " +
                       std::to_string(counts.records) + "/" + std::to_string(counts.badStatus) + " " + date + " " +
                       label + ":";
    for (int v = 0; v < kVariableCount; ++v) {
        for (int i = 0; i < block.count; ++i) text += " " + std::to_string(testing::Bits(block.sample[v][i]));
    }
    return text;
}

class BlockReadAheadTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    std::unique_ptr<BlockBuffer> a = std::make_unique<BlockBuffer>(), b = std::make_unique<BlockBuffer>();

    std::string first = "first.dat";

    void Open(RawReader& reader, bool second) {
        ASSERT_TRUE(reader.OpenFirst(dir / first));
        if (second) {
            ASSERT_TRUE(reader.OpenSecond(dir / "second.dat"));
        }
    }
    // Blocks until the first file's end (and one more, as a job may ask for
    // after a rejected last block) or a read error.
    std::vector<std::string> Direct(bool second) {
        RawReader reader;
        Open(reader, second);
        std::vector<std::string> blocks;
        for (int extra = 0; extra < 2;) {
            const int count = reader.ReadBlock(*a);
            blocks.push_back(Describe(count, reader.FirstFileEnded(), reader.ReadError(), reader.RecordCounts(),
                                      reader.BlockDate(), reader.BlockLabel(), *a));
            if (reader.ReadError() != 0) break;
            if (reader.FirstFileEnded()) ++extra;
        }
        return blocks;
    }
    std::vector<std::string> Ahead(bool second) {
        RawReader reader;
        Open(reader, second);
        std::vector<std::string> blocks;
        BlockReadAhead readAhead(reader, *a, *b);
        for (int extra = 0; extra < 2;) {
            const BlockReadAhead::Block& block = readAhead.Next();
            blocks.push_back(Describe(block.count, block.firstFileEnded, block.readError, block.counts, block.date,
                                      block.label, *block.buffer));
            if (block.readError != 0) break;
            if (block.firstFileEnded) ++extra;
        }
        return blocks;
    }
};

TEST_F(BlockReadAheadTest, SameBlocksAsTheReaderItselfGives) {
    std::string records;
    for (int k = 0; k < 5; ++k)
        records += Tower("2024-06-01", 10 + k / 2, k % 2 * 30, 700 + 50 * k, 7u + static_cast<std::uint32_t>(k));
    records += "\"2024-06-01 12:40:00.0\",1,2,3,700,10,20,98,99\n";  // a bad status
    const std::string text = RawHeader() + records + Tower("2024-06-01", 12, 45, 30, 3);
    WriteFile(dir / "first.dat", text);
    WriteFile(dir / "first_failing.dat", text);
    WriteFile(dir / "second.dat", RawHeader() + Tower("2024-06-01", 12, 48, 40, 4) + Tower("2024-06-01", 13, 0, 9, 5));
    FailingStreams failing;
    // Past the reader's first buffer: blocks, then the error.
    FailingStreams::bytesBeforeFailure = 280000;
    for (const std::string name : {"first.dat", "first_failing.dat"}) {
        first = name;
        for (const bool second : {false, true}) {
            const std::vector<std::string> direct = Direct(second);
            ASSERT_GE(direct.size(), 4u);
            EXPECT_EQ(direct, Ahead(second)) << name << " " << second;
        }
    }
}

}  // namespace
}  // namespace kelvara
