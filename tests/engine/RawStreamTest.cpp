// A load read ahead, by the reader or by a helper thread, is the load the
// stream would have read when it needed it: the same bytes, the same
// position, and the same end or failure at the same fill.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "TempDir.h"
#include "io/RawStream.h"

namespace kelvara {
namespace {

using testing::WriteFile;

enum class Ahead { None, ByReader, ByHelper };

// What a reader of whole lines sees: the bytes in order, and after each
// fill its result, the bytes consumed, and whether the stream failed or
// ended. holdBack whole lines are left in the buffer at each fill, as a
// reader that stops short of the buffer's end leaves them.
struct Seen {
    std::string bytes;
    std::vector<std::string> fills;
    bool operator==(const Seen&) const = default;
};

class RawStreamTest : public ::testing::Test {
protected:
    testing::TempDir dir;

    Seen ReadWholeLines(const std::string& name, Ahead ahead, int holdBack) {
        RawStream stream;
        EXPECT_TRUE(stream.Open(dir / name));
        std::atomic<bool> done{false};
        std::jthread helper([&] {
            while (ahead == Ahead::ByHelper && !done) {
                if (!stream.HelpPrefetch()) std::this_thread::yield();
            }
        });
        Seen seen;
        for (;;) {
            const char* begin;
            const char* end;
            if (stream.WholeLines(begin, end)) {
                if (ahead == Ahead::ByReader) stream.Prefetch();
                if (ahead == Ahead::ByHelper) stream.OfferPrefetch();
                const char* stop = end;
                for (int line = 0; line < holdBack && stop != begin; ++line) {
                    do --stop;
                    while (stop != begin && stop[-1] != '\n');
                }
                seen.bytes.append(begin, stop);
                stream.ConsumeTo(stop);
            }
            const bool filled = stream.FillBehindRest();
            seen.fills.push_back(std::to_string(filled) + " " + std::to_string(stream.Consumed()) + " " +
                                 std::to_string(stream.Failed()) + " " + std::to_string(stream.AtEnd()));
            if (filled) continue;
            // The end: the rest one character at a time, through the plain fill.
            for (int c = stream.Get(); c != RawStream::kEnd; c = stream.Get())
                seen.bytes.push_back(static_cast<char>(c));
            break;
        }
        seen.fills.push_back("end " + std::to_string(stream.Consumed()) + " " + std::to_string(stream.Failed()));
        done = true;
        return seen;
    }
};

// About a megabyte of lines of many lengths, the last one without its line
// feed.
std::string ManyLines() {
    std::string text;
    for (int i = 0; text.size() < 1'000'000; ++i)
        text += std::string(static_cast<std::size_t>(i * 37 % 211), static_cast<char>('a' + i % 26)) + "\n";
    return text + "last line";
}

TEST_F(RawStreamTest, AReadAheadLoadReadsAsTheLoadItStandsFor) {
    const std::string text = ManyLines();
    WriteFile(dir / "raw.dat", text);
    const Seen plain = ReadWholeLines("raw.dat", Ahead::None, 0);
    EXPECT_EQ(text, plain.bytes);
    EXPECT_GT(plain.fills.size(), 4u);
    EXPECT_EQ(plain, ReadWholeLines("raw.dat", Ahead::ByReader, 0));
    EXPECT_EQ(plain, ReadWholeLines("raw.dat", Ahead::ByHelper, 0));
    // More left than the load read ahead foresaw: it is cut across fills,
    // with the same bytes in the end.
    for (const Ahead ahead : {Ahead::ByReader, Ahead::ByHelper}) {
        const Seen cut = ReadWholeLines("raw.dat", ahead, 3);
        EXPECT_EQ(text, cut.bytes);
        EXPECT_EQ(plain.fills.back(), cut.fills.back());
    }
}

// The read that fails is the one read ahead; the stream fails only at the
// fill that takes it, and nothing of it counts, as without the read ahead.
TEST_F(RawStreamTest, AReadAheadThatFailsFailsTheFillThatTakesIt) {
    testing::FailingStreams failing;
    testing::FailingStreams::bytesBeforeFailure = 300'000;
    WriteFile(dir / "failing.dat", ManyLines());
    const Seen plain = ReadWholeLines("failing.dat", Ahead::None, 0);
    ASSERT_EQ("end 300000 1", plain.fills.back());
    ASSERT_LT(plain.bytes.size(), 262'144u);
    EXPECT_EQ(plain, ReadWholeLines("failing.dat", Ahead::ByReader, 0));
    EXPECT_EQ(plain, ReadWholeLines("failing.dat", Ahead::ByHelper, 0));
}

// A stream read only a character at a time after a read ahead, or closed
// with one on offer or in hand, loses nothing and starts afresh.
TEST_F(RawStreamTest, AReadAheadServesAnyReadingAndIsDroppedOnClose) {
    const std::string text = ManyLines();
    WriteFile(dir / "raw.dat", text);
    RawStream stream;
    ASSERT_TRUE(stream.Open(dir / "raw.dat"));
    std::string read;
    for (int c = stream.Get(); c != RawStream::kEnd; c = stream.Get()) {
        read.push_back(static_cast<char>(c));
        if (read.size() % 100'000 == 0) stream.Prefetch();
    }
    EXPECT_EQ(text, read);

    for (const bool offered : {false, true}) {
        ASSERT_TRUE(stream.Open(dir / "raw.dat"));
        const char* begin;
        const char* end;
        ASSERT_TRUE(stream.FillBehindRest() && stream.WholeLines(begin, end));
        if (offered) {
            ASSERT_TRUE(stream.OfferPrefetch());
        } else {
            stream.Prefetch();
        }
        stream.Close();
        EXPECT_FALSE(stream.HelpPrefetch());
        ASSERT_TRUE(stream.Open(dir / "raw.dat"));
        EXPECT_EQ(text.front(), stream.Get());
    }
}

}  // namespace
}  // namespace kelvara
