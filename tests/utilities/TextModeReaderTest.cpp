// The text-stream reading rules with buffers small enough that every CR LF
// pair and every line lands on a buffer boundary somewhere.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TextModeReader.h"
#include "TextModeWriter.h"

namespace kelvara {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> ReadLines(const std::string& bytes, std::size_t bufferSize, std::size_t limit) {
    TempDir dir;
    WriteFile(dir / "f", bytes);
    std::vector<char> buffer(bufferSize);
    TextModeReader reader(buffer);
    EXPECT_TRUE(reader.Open(dir / "f"));
    std::vector<std::string> lines;
    std::vector<char> line(limit);
    while (const std::size_t length = reader.ReadLine(line.data(), limit)) lines.emplace_back(line.data(), length);
    return lines;
}

std::string ReadPieces(const std::string& bytes, std::size_t bufferSize, std::size_t limit) {
    TempDir dir;
    WriteFile(dir / "f", bytes);
    std::vector<char> buffer(bufferSize);
    TextModeReader reader(buffer);
    EXPECT_TRUE(reader.Open(dir / "f"));
    std::string all;
    std::vector<char> piece(limit);
    while (!reader.AtEnd()) {
        const std::size_t length = reader.ReadPiece(piece.data(), limit);
        EXPECT_LE(length, limit);
        all.append(piece.data(), length);
    }
    return all;
}

TEST(TextModeReader, CrLfIsOneLineFeedAtEveryBufferBoundary) {
    const std::string bytes = "ab\r\ncd\r\n\r\ne\rf\r\r\ng\n\x1a\r";
    const std::vector<std::string> expected = {"ab\n", "cd\n", "\n", "e\rf\r\n", "g\n", "\x1a\r"};
    for (std::size_t bufferSize = 1; bufferSize <= bytes.size() + 1; ++bufferSize) {
        EXPECT_EQ(ReadLines(bytes, bufferSize, 999), expected) << "buffer " << bufferSize;
    }
}

TEST(TextModeReader, ReadLineStopsAtTheLimitAndContinuesThere) {
    EXPECT_EQ(ReadLines("abcdef\r\ngh", 3, 4), (std::vector<std::string>{"abcd", "ef\n", "gh"}));
    // The line feed counts toward the limit.
    EXPECT_EQ(ReadLines("abc\r\nd", 2, 4), (std::vector<std::string>{"abc\n", "d"}));
    EXPECT_EQ(ReadLines("abcd\r\n", 2, 4), (std::vector<std::string>{"abcd", "\n"}));
}

TEST(TextModeReader, PiecesDropFileSeparatorsAndTranslateCrLfAtEveryBoundary) {
    const std::string bytes = "a\x1c\x1c" "b\r\n\x1c\r\x1c\n\r\r\nz\r";
    const std::string expected = "ab\n\r\n\r\nz\r";
    for (std::size_t bufferSize = 1; bufferSize <= bytes.size() + 1; ++bufferSize) {
        for (std::size_t limit = 1; limit <= 5; ++limit) {
            EXPECT_EQ(ReadPieces(bytes, bufferSize, limit), expected)
                << "buffer " << bufferSize << " limit " << limit;
        }
    }
}

TEST(TextModeReader, FileThatCannotBeOpenedReadsAsEnded) {
    TempDir dir;
    std::array<char, 8> buffer{};
    TextModeReader reader(buffer);
    EXPECT_FALSE(reader.Open(dir / "missing"));
    std::array<char, 4> line{};
    EXPECT_EQ(reader.ReadLine(line.data(), line.size()), 0u);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(TextModeWriter, EveryLineFeedGoesOutAsCrLfAcrossBufferFlushes) {
    TempDir dir;
    for (std::size_t bufferSize = 1; bufferSize <= 6; ++bufferSize) {
        std::vector<char> buffer(bufferSize);
        TextModeWriter writer(buffer);
        ASSERT_TRUE(writer.Create(dir / "out"));
        writer.Write("ab\ncd\r", 6);
        writer.WriteLineEnd();
        writer.Write("\n\nx", 3);
        ASSERT_TRUE(writer.Close());
        EXPECT_EQ(ReadFile(dir / "out"), "ab\r\ncd\r\r\n\r\n\r\nx") << "buffer " << bufferSize;
    }
}

}  // namespace
}  // namespace kelvara
