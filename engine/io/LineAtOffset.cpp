#include "io/LineAtOffset.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace kelvara {

LineAtOffset FindLineAtOffset(const std::filesystem::path& file, std::int64_t offset) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    LineAtOffset line{1, {}};
    std::int64_t lineStart = 0;
    std::vector<char> chunk(1 << 16);
    for (std::int64_t at = 0; at < offset;) {
        const auto wanted = static_cast<std::streamsize>(std::min<std::int64_t>(offset - at, std::ssize(chunk)));
        in.read(chunk.data(), wanted);
        const std::streamsize got = in.gcount();
        if (got <= 0) break;
        for (std::streamsize i = 0; i < got; ++i) {
            if (chunk[static_cast<std::size_t>(i)] != '\n') continue;
            ++line.number;
            lineStart = at + i + 1;
        }
        at += got;
    }
    in.clear();
    in.seekg(lineStart);
    std::string text(kMaxLineText, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    line.text = text.substr(0, text.find('\n'));
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    return line;
}

}  // namespace kelvara
