// Number texts must read exactly as the C library's atof/atoi read them and
// results must print exactly as glibc's %g prints them.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "NumberText.h"

namespace kelvara {
namespace {

using testing::Bits;

std::uint64_t DoubleBits(double value) { return std::bit_cast<std::uint64_t>(value); }

class CLocale : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }
};

using AtofTextTest = CLocale;

TEST_F(AtofTextTest, ReadsEveryCornerCaseAsTheCLibraryDoes) {
    const std::vector<std::string> texts = {
        "", " ", "-", "+", ".", "e5", "abc", "12.5abc", "  \t\n\v\f\r42.25", "+3", "-3", "+-1",
        "-.5e-1", ".5", "5.", "1e3", "1E3", "1e", "1e+", "1e-x", "1.2.3", "1,5", "00012.500",
        "1e0003", "-0", "-0.0e10", "0x1p3", "0X1P-2", "0x", "0x.8", "-0x1.8p1", "0x1p", "inf",
        "-INFINITY", "Infinity", "infinit", "infx", "nan", "NAN", "-nan", "nan(123)", "nanx",
        "1e400", "-1e400", "1e-400", "-1e-400", "4.9e-324", "2.4703282292062327e-324",
        "2.2250738585072011e-308", "1.7976931348623157e308", "1.7976931348623159e308",
        "123456789012345678901234567890", "0.30000000000000000000000000000000000001",
        "9007199254740993", "  +.e1", "1e-5", "99.99999999999999999999999999",
        "0x1p-1074", "0x1p-1075", "0x1.8p-1075", "-0x1p-1080", "0x1.fffffffffffffp1023", "0x1p1024",
        "0x1.00000000000008p0", "0xABCDEF.8p-4", "nan(", "nan()", "nan(abc", "nan(1 2)", "+inf", "- 1",
        "0e", "0x0p0", ".e1", "1e-", "1.e5"};
    for (const std::string& text : texts) {
        double expected = std::atof(text.c_str());
        double actual = AtofText(text);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(actual)) << '"' << text << '"';
            EXPECT_EQ(std::signbit(expected), std::signbit(actual)) << '"' << text << '"';
        } else {
            EXPECT_EQ(DoubleBits(expected), DoubleBits(actual))
                << '"' << text << "\" expected " << expected << " got " << actual;
        }
    }
}

TEST_F(AtofTextTest, LongDigitStringsRoundCorrectly) {
    // Far beyond any fixed-size digit buffer; the last digit decides the rounding.
    std::string longOne = "0." + std::string(700, '0') + "1";
    std::string halfway = "1.00000000000000011102230246251565404236316680908203125";
    std::string aboveHalfway = halfway + std::string(400, '0') + "1";
    std::string manyDigits(1000, '7');
    for (const std::string& text : {longOne, halfway, aboveHalfway, manyDigits}) {
        EXPECT_EQ(DoubleBits(std::atof(text.c_str())), DoubleBits(AtofText(text)))
            << text.substr(0, 40) << "...";
    }
}

TEST_F(AtofTextTest, StopsAtTheEndOfTheView) {
    const char storage[] = "12345e3";
    EXPECT_EQ(12.0, AtofText(std::string_view(storage, 2)));
    EXPECT_EQ(12345.0, AtofText(std::string_view(storage, 6)));  // "12345e" has no exponent
    const char nanStorage[] = "nan(1)";
    EXPECT_TRUE(std::isnan(AtofText(std::string_view(nanStorage, 3))));
}

TEST_F(AtofTextTest, RoundsToDoubleFirstThenToFloat) {
    // Just above the midpoint between 1 and the next float: rounding straight
    // to float goes up, rounding to double first lands on the midpoint, which
    // then rounds to even (1.0).
    const char* text = "1.0000000596046447753906250001";
    float direct = std::strtof(text, nullptr);
    float twoStep = static_cast<float>(std::strtod(text, nullptr));
    ASSERT_NE(Bits(direct), Bits(twoStep)) << "the text no longer tells the two roundings apart";
    EXPECT_SAME_FLOAT(twoStep, AtofToFloat(text));
    EXPECT_SAME_FLOAT(1.0f, AtofToFloat(text));

    // Beyond float range and below its smallest denormal.
    EXPECT_TRUE(std::isinf(AtofToFloat("1e39")));
    EXPECT_SAME_FLOAT(-0.0f, AtofToFloat("-1e-50"));
    EXPECT_SAME_FLOAT(static_cast<float>(std::strtod("1e-40", nullptr)), AtofToFloat("1e-40"));
}

TEST_F(AtofTextTest, RandomDecimalTextsMatchTheCLibrary) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> digit(0, 9), length(1, 25), exponent(-330, 330), coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        if (coin(random) == 0) text += ' ';
        if (coin(random) == 1) text += '-';
        int digits = length(random);
        int point = std::uniform_int_distribution<int>(0, digits)(random);
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) == 2) {
            text += 'e';
            text += std::to_string(exponent(random));
        }
        if (coin(random) == 3) text += ",7";
        EXPECT_EQ(DoubleBits(std::atof(text.c_str())), DoubleBits(AtofText(text))) << text;
        EXPECT_SAME_FLOAT(static_cast<float>(std::atof(text.c_str())), AtofToFloat(text)) << text;
    }
}

TEST_F(AtofTextTest, IgnoresTheProcessLocale) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(1.5, AtofText("1.5"));
    char text[64];
    EXPECT_EQ(3, FormatGeneral(1.5f, text));
    EXPECT_STREQ("1.5", text);
    std::setlocale(LC_NUMERIC, "C");
}

using AtoiTextTest = CLocale;

TEST_F(AtoiTextTest, ReadsAsTheCLibraryDoes) {
    const std::vector<std::string> texts = {"",      " 42",  "+7",         "-7",         "12abc",
                                            "abc",   "13\r", "\r",         "0x10",       "  -0012",
                                            "1e3",   "3.9",  "2147483647", "-2147483648", "+-5",
                                            "\t\n9", "- 1",  "000000013"};
    for (const std::string& text : texts) {
        EXPECT_EQ(std::atoi(text.c_str()), AtoiText(text)) << '"' << text << '"';
    }
    const char storage[] = "1234";
    EXPECT_EQ(12, AtoiText(std::string_view(storage, 2)));
}

TEST_F(AtoiTextTest, OutOfRangeTextsWrapAsGlibcDoes) {
    // glibc's atoi is (int) strtol: saturation at the long range, then the
    // conversion to int.
    for (const char* text : {"2147483648", "-2147483649", "9223372036854775807", "9223372036854775808",
                             "99999999999999999999", "-99999999999999999999", "123456789012345678901234567890"}) {
        EXPECT_EQ(std::atoi(text), AtoiText(text)) << text;
    }
}

class FormatGeneralTest : public CLocale {
protected:
    static std::string Expected(float value) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
        return text;
    }
    static void ExpectFormatsLikePrintf(float value) {
        char text[64];
        std::fill(std::begin(text), std::end(text), '#');
        int length = FormatGeneral(value, text);
        std::string expected = Expected(value);
        ASSERT_EQ(static_cast<int>(expected.size()), length) << expected;
        EXPECT_EQ(expected, std::string(text, static_cast<std::size_t>(length)))
            << "bits 0x" << std::hex << Bits(value);
    }
};

TEST_F(FormatGeneralTest, SpecialValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> values = {
        0.0f, -0.0f, 1.0f, -1.0f, 1e-05f, 1e-04f, 0.0001f, 123456.0f, 1234567.0f, 999999.5f,
        9999995.0f, 0.1f, 1.0f / 3.0f, 3.40282347e38f, -3.40282347e38f, 1.17549435e-38f,
        1.4e-45f, -1.4e-45f, 1e-40f, std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity(), nan, -nan, 0.000123456f, 100000.0f, 1e6f,
        273.16f, -0.09f};
    for (float value : values) ExpectFormatsLikePrintf(value);

    char text[64];
    FormatGeneral(1e-05f, text);
    EXPECT_STREQ("1e-05", text);
    FormatGeneral(-nan, text);
    EXPECT_STREQ("-nan", text);
    FormatGeneral(-std::numeric_limits<float>::infinity(), text);
    EXPECT_STREQ("-inf", text);
}

TEST_F(FormatGeneralTest, RandomBitPatterns) {
    std::mt19937 random(7);
    for (int i = 0; i < 300000; ++i) {
        ExpectFormatsLikePrintf(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        if (HasFatalFailure()) return;
    }
}

TEST_F(FormatGeneralTest, RoundingEdgesOfSixDigits) {
    // Values near a carry into a new digit and near the switch to the
    // exponent form, where a hand-written formatter most often slips.
    for (float base : {9.999995f, 99.99995f, 999999.4f, 999999.6f, 0.0001f, 0.00009999995f}) {
        float value = base;
        for (int step = 0; step < 64; ++step) {
            ExpectFormatsLikePrintf(value);
            ExpectFormatsLikePrintf(-value);
            value = std::nextafter(value, 2.0f * base);
        }
    }
}

}  // namespace
}  // namespace kelvara
