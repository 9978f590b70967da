#pragma once
// The targets' oracles: a broken expectation stops the process with a
// message; libFuzzer reports that as a finding and saves the input.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kelvara::fuzz {

// The bytes as a C string literal would spell them, for the report.
inline std::string Escaped(std::string_view bytes, std::size_t limit = 400) {
    std::string text;
    for (const char c : bytes.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            text += '\\';
            text += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        }
    }
    if (bytes.size() > limit) text += "...";
    return text;
}

[[noreturn]] inline void Fail(std::string_view what, std::string_view detail = {}) {
    std::fprintf(stderr, "\n== Kelvara fuzz finding: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void Expect(bool holds, std::string_view what, std::string_view detail = {}) {
    if (!holds) Fail(what, detail);
}

}  // namespace kelvara::fuzz
