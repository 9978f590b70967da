#pragma once
// The blocks a raw reader gives for a file (and the file that follows it),
// kept whole for comparing two reads of the same records.

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "io/RawReader.h"

namespace kelvara::fuzz {

struct Block {
    int returned;
    int count;
    std::string date;
    std::string label;
    bool firstFileEnded;
    bool badStamp;
    std::vector<std::uint32_t> sampleBits;  // NaNs compare by their bits too

    bool operator==(const Block&) const = default;
};

inline constexpr int kMaxBlocks = 2000;

inline std::vector<Block> ReadAll(const std::filesystem::path& first, const std::filesystem::path* second,
                                  const ColumnLayout& firstLayout = {}, const ColumnLayout& secondLayout = {}) {
    static RawReader* const reader = new RawReader;
    static BlockBuffer* const buffer = new BlockBuffer;
    std::vector<Block> blocks;
    if (!reader->OpenFirst(first, firstLayout)) Fail("cannot open the scratch raw file");
    if (second != nullptr && !reader->OpenSecond(*second, secondLayout)) Fail("cannot open the scratch raw file");
    for (int i = 0; i < kMaxBlocks && !reader->FirstFileEnded(); ++i) {
        const int returned = reader->ReadBlock(*buffer);
        Block block{returned,
                    buffer->count,
                    reader->BlockDate(),
                    reader->BlockLabel(),
                    reader->FirstFileEnded(),
                    reader->BadStamp().has_value(),
                    {}};
        for (int v = 0; v < kVariableCount; ++v) {
            for (int r = 0; r < buffer->count; ++r) {
                block.sampleBits.push_back(std::bit_cast<std::uint32_t>(buffer->sample[v][r]));
            }
        }
        blocks.push_back(std::move(block));
        if (reader->BadStamp()) break;  // the reading stopped there
    }
    reader->Close();
    return blocks;
}

inline std::string Describe(const std::vector<Block>& blocks) {
    std::string text;
    for (const Block& block : blocks) {
        text += "  returned " + std::to_string(block.returned) + ", count " + std::to_string(block.count) + ", \"" +
                Escaped(block.date) + "\" \"" + block.label + "\"" + (block.firstFileEnded ? ", first ended" : "") +
                (block.badStamp ? ", bad time stamp" : "") + "\n";
    }
    return text;
}

}  // namespace kelvara::fuzz
