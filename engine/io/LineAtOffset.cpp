#include "io/LineAtOffset.h"

#include <algorithm>
#include <vector>

#include "io/RawBytes.h"

namespace kelvara {

LineAtOffset FindLineAtOffset(const std::filesystem::path& file, std::int64_t offset) {
    // Read as the readers read it: offsets count decompressed bytes.
    RawBytes bytes;
    if (!bytes.Open(file)) return {};
    LineAtOffset line{1, {}};
    std::string text;  // from the start of the line that holds the offset
    std::vector<char> chunk(1 << 16);
    int error = 0;
    for (std::int64_t at = 0;;) {
        const std::size_t got = bytes.Read(chunk.data(), chunk.size(), error);
        if (got == 0 || error != 0) break;
        for (std::size_t i = 0; i < got; ++i, ++at) {
            const char c = chunk[i];
            if (at < offset) {
                if (c == '\n') {
                    ++line.number;
                    text.clear();
                } else if (text.size() < kMaxLineText) {
                    text.push_back(c);
                }
                continue;
            }
            if (c == '\n' || text.size() >= kMaxLineText) {
                at = -1;
                break;
            }
            text.push_back(c);
        }
        if (at < 0) break;
    }
    line.text = text;
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    return line;
}

}  // namespace kelvara
