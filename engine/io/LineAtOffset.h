#pragma once
// Which line of a file holds a byte, for messages that name the line of a
// record a reader stopped at; read again only then, so the readers need
// not count lines.

#include <cstdint>
#include <filesystem>
#include <string>

namespace kelvara {

struct LineAtOffset {
    std::int64_t number = 0;  // from 1; 0 when the file does not read
    std::string text;         // the line without its line end, cut to kMaxLineText characters
};

inline constexpr std::size_t kMaxLineText = 200;

LineAtOffset FindLineAtOffset(const std::filesystem::path& file, std::int64_t offset);

}  // namespace kelvara
