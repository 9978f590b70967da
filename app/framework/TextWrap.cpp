#include "framework/TextWrap.h"

#include <algorithm>
#include <vector>

namespace kelvara::app {

namespace {

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// Where the longest start of `rest` that fits after `lead` ends, in bytes:
// at least one character.
std::size_t LongestFittingStart(const std::string& lead, std::string_view rest, const FitsOnALine& fits) {
    std::vector<std::size_t> ends;  // the byte after each character
    for (std::size_t byte = 1; byte <= rest.size(); ++byte) {
        if (byte == rest.size() || StartsCharacter(rest[byte])) ends.push_back(byte);
    }
    std::size_t fitting = 0, tooMany = ends.size() + 1;  // characters
    while (tooMany - fitting > 1) {
        const std::size_t middle = (fitting + tooMany) / 2;
        if (fits(lead + std::string(rest.substr(0, ends[middle - 1])))) {
            fitting = middle;
        } else {
            tooMany = middle;
        }
    }
    return ends[std::max<std::size_t>(fitting, 1) - 1];
}

// Where a line that does not fit is cut, given where the fitting start
// ends: the last blank that leaves some text (a blank just past the end
// counts, it disappears), else just after the last '/' but the first.
std::size_t CutBefore(std::string_view rest, std::size_t limit, std::size_t keep) {
    const std::size_t blank = rest.substr(0, limit + 1).find_last_of(' ');
    if (blank != std::string_view::npos && blank > keep) return blank;
    const std::size_t slash = rest.substr(0, limit).find_last_of('/');
    if (slash != std::string_view::npos && slash > keep) return slash + 1;
    return limit;
}

std::string WrappedLine(std::string_view line, const FitsOnALine& fits) {
    const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
    const std::string continuation(indent > 0 ? indent + 2 : 0, ' ');
    std::string wrapped;
    std::string lead;
    std::string_view rest = line;
    while (!rest.empty() && !fits(lead + std::string(rest))) {
        const std::size_t limit = LongestFittingStart(lead, rest, fits);
        const std::size_t cut = CutBefore(rest, limit, lead.empty() ? indent : 0);
        wrapped += lead + std::string(rest.substr(0, cut)) + "\n";
        rest.remove_prefix(cut);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        lead = continuation;
    }
    return wrapped + (rest.empty() ? std::string() : lead + std::string(rest));
}

}  // namespace

std::string Wrapped(std::string_view text, const FitsOnALine& fits) {
    std::string wrapped;
    while (true) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        wrapped += WrappedLine(text.substr(0, end), fits);
        if (end == text.size()) return wrapped;
        wrapped += '\n';
        text.remove_prefix(end + 1);
    }
}

std::size_t CharacterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

}  // namespace kelvara::app
