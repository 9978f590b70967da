// libFuzzer target: the number readers and the %g writer against the C
// library they imitate. Any text reads as strtod and atoi read it (in the C
// locale, up to the first null character), and any float prints as
// snprintf("%g") prints it.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzMarks.h"
#include "io/NumberText.h"

namespace {

using namespace kelvara;

// libFuzzer sees no coverage inside strtod or std::from_chars, so to it
// "0x1p+5" and "0x1p+-5" look alike. A mark for each pair of neighbouring
// character classes gives every new pair a coverage feature, and the corpus
// keeps the shapes that number texts take.
enum CharClass { kDigit, kHexLetter, kE, kP, kX, kPlus, kMinus, kPoint, kSpace, kWordLetter, kNull, kOther, kClasses };

int ClassOf(char c) {
    const auto in = [c](std::string_view set) { return set.find(c) != std::string_view::npos; };
    if (c >= '0' && c <= '9') return kDigit;
    if (c == '\0') return kNull;
    if (in("eE")) return kE;
    if (in("pP")) return kP;
    if (in("xX")) return kX;
    if (in("abcdfABCDF")) return kHexLetter;
    if (in("intyINTY")) return kWordLetter;  // the rest of inf, infinity and nan
    if (c == '+') return kPlus;
    if (c == '-') return kMinus;
    if (c == '.') return kPoint;
    if (in(" \t\n\v\f\r")) return kSpace;
    return kOther;
}

// Only the leading run of characters that a number can hold: what follows
// is never read, and marking it would flood the corpus with noise.
void MarkShape(std::string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        const int before = ClassOf(text[i - 1]);
        const int here = ClassOf(text[i]);
        if (before >= kNull || here >= kNull) return;
        fuzz::Mark<kClasses * kClasses>(static_cast<std::size_t>(before * kClasses + here));
    }
}

// NaNs agree on their sign; their payloads carry no meaning here.
bool SameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string Describe(const std::string& text, double expected, double actual) {
    char values[96];
    std::snprintf(values, sizeof values, "\nC library: %.17g (%a)\nKelvara:   %.17g (%a)", expected, expected, actual,
                  actual);
    return "text \"" + fuzz::Escaped(text) + "\"" + values;
}

void CheckAtof(const std::string& text) {
    const double expected = std::strtod(text.c_str(), nullptr);
    const double actual = AtofText(text);
    if (!SameDouble(expected, actual)) fuzz::Fail("AtofText differs from strtod", Describe(text, expected, actual));
    const float rounded = AtofToFloat(text);
    if (!SameDouble(static_cast<float>(expected), rounded)) {
        fuzz::Fail("AtofToFloat differs from strtod rounded to float", Describe(text, expected, rounded));
    }
}

void CheckAtoi(const std::string& text) {
    const int expected = std::atoi(text.c_str());
    const int actual = AtoiText(text);
    if (expected != actual) {
        fuzz::Fail("AtoiText differs from atoi", "text \"" + fuzz::Escaped(text) +
                                                     "\"\nC library: " + std::to_string(expected) +
                                                     "\nKelvara:   " + std::to_string(actual));
    }
}

void CheckFormat(float value) {
    char expected[64];
    char actual[64];
    const int expectedLength = std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
    const int actualLength = FormatGeneral(value, actual);
    if (expectedLength != actualLength || std::strcmp(expected, actual) != 0) {
        char bits[16];
        std::snprintf(bits, sizeof bits, "%08x", std::bit_cast<std::uint32_t>(value));
        fuzz::Fail("FormatGeneral differs from %g", std::string("float bits ") + bits + "\nC library: \"" + expected +
                                                        "\"\nKelvara:   \"" + actual + "\"");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The C library reads up to the first null character; so does Kelvara.
    const std::string text(reinterpret_cast<const char*>(data), size);
    MarkShape(text);
    CheckAtof(text);
    CheckAtoi(text);

    // Every float the text reads as, and every float that its first four
    // bytes spell (NaNs, subnormals and all).
    CheckFormat(AtofToFloat(text));
    if (size >= sizeof(float)) {
        float value;
        std::memcpy(&value, data, sizeof value);
        CheckFormat(value);
    }
    return 0;
}
