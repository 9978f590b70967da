// Number texts must read exactly as the C library's atof/atoi read them, and
// results must print exactly as glibc's %g prints them.

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "EngineTestSupport.h"
#include "io/NumberText.h"

namespace kelvara {
namespace {

bool SameDouble(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

TEST(NumberText, AtofReadsEveryCornerCaseAsTheCLibrary) {
    std::setlocale(LC_ALL, "C");
    const std::string halfway = "1.00000000000000011102230246251565404236316680908203125";
    const std::string texts[] = {"",
                                 " ",
                                 "-",
                                 ".",
                                 "e5",
                                 "abc",
                                 "12.5abc",
                                 " \t\n\v\f\r42.25",
                                 "+-1",
                                 "-.5e-1",
                                 "5.",
                                 "1e",
                                 "1e+",
                                 "1.2.3",
                                 "1,5",
                                 "-0",
                                 "0x1p3",
                                 "0X1P-2",
                                 "0x",
                                 "-0x1.8p1",
                                 "0x1p",
                                 "0x1.8p-1075",
                                 "0x1p1024",
                                 "0xABCDEF.8p-4",
                                 "0x1p+-5",
                                 "0x1p-+5",
                                 "0x1.8p+",
                                 "0X1P+07x",
                                 "inf",
                                 "-INFINITY",
                                 "infinit",
                                 "nan",
                                 "-nan",
                                 "nan(123)",
                                 "nan(",
                                 "1e400",
                                 "-1e400",
                                 "1e-400",
                                 "4.9e-324",
                                 "2.4703282292062327e-324",
                                 "1.7976931348623159e308",
                                 "9007199254740993",
                                 std::string(1000, '7'),
                                 "0." + std::string(700, '0') + "1",
                                 halfway,
                                 halfway + std::string(400, '0') + "1"};
    for (const std::string& text : texts) {
        EXPECT_PRED2(SameDouble, std::atof(text.c_str()), AtofText(text)) << '"' << text.substr(0, 40) << '"';
    }
    EXPECT_EQ(12.0, AtofText(std::string_view("12345e3", 2)));  // the view ends the text
    EXPECT_EQ(12345.0, AtofText(std::string_view("12345e3", 6)));

    std::mt19937 random(20240601);
    for (int i = 0; i < 3000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const auto digits = 1 + random() % 21;
        const auto point = random() % (digits + 1);
        for (unsigned long d = 0; d < digits; ++d) {
            text += std::string(d == point ? "." : "") + static_cast<char>('0' + random() % 10);
        }
        if (random() % 3 == 0) text += "e" + std::to_string(static_cast<int>(random() % 600) - 300);
        EXPECT_PRED2(SameDouble, std::atof(text.c_str()), AtofText(text)) << text;
        EXPECT_SAME_FLOAT(static_cast<float>(std::atof(text.c_str())), AtofToFloat(text)) << text;
    }
}

TEST(NumberText, AtofToFloatRoundsToDoubleFirst) {
    // Just above the midpoint between 1 and the next float: straight to float
    // rounds up, through double it lands on the midpoint and rounds to even.
    const char* text = "1.0000000596046447753906250001";
    ASSERT_NE(testing::Bits(std::strtof(text, nullptr)), testing::Bits(1.0f));
    EXPECT_SAME_FLOAT(1.0f, AtofToFloat(text));
    EXPECT_SAME_FLOAT(std::numeric_limits<float>::infinity(), AtofToFloat("1e39"));
    EXPECT_SAME_FLOAT(-0.0f, AtofToFloat("-1e-50"));
    EXPECT_SAME_FLOAT(static_cast<float>(1e-40), AtofToFloat("1e-40"));
}

TEST(NumberText, AtoiReadsAndSaturatesAsTheCLibrary) {
    for (const char* text : {"",
                             " 42",
                             "+7",
                             "-7",
                             "12abc",
                             "abc",
                             "13\r",
                             "0x10",
                             "  -0012",
                             "1e3",
                             "3.9",
                             "+-5",
                             "- 1",
                             "000000013",
                             "2147483647",
                             "-2147483648",
                             "2147483648",
                             "-2147483649",
                             "9223372036854775808",
                             "99999999999999999999",
                             "-99999999999999999999"}) {
        EXPECT_EQ(std::atoi(text), AtoiText(text)) << '"' << text << '"';
    }
    EXPECT_EQ(12, AtoiText(std::string_view("1234", 2)));
}

TEST(NumberText, FormatGeneralWritesWhatPrintfWrites) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    auto expectLikePrintf = [](float value) {
        char expected[64], actual[64];
        std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
        const int length = FormatGeneral(value, actual);
        EXPECT_EQ(expected, std::string(actual, static_cast<std::size_t>(length))) << std::hex << testing::Bits(value);
    };
    char text[64];
    const std::pair<float, const char*> specials[] = {
        {inf, "inf"}, {-inf, "-inf"}, {nan, "nan"}, {-nan, "-nan"}, {1e-05f, "1e-05"}};
    for (auto [value, printed] : specials) {
        EXPECT_STREQ(printed, (FormatGeneral(value, text), text));
        expectLikePrintf(value);
    }
    for (float value : {0.0f, -0.0f, 123456.0f, 1234567.0f, 1.0f / 3, 3.40282347e38f, 1.4e-45f, 1e-40f, 273.16f})
        expectLikePrintf(value);
    for (float base : {9.999995f, 99.99995f, 999999.4f, 0.0001f, 0.00009999995f}) {  // carries and the switch to e
        for (int step = 0; step < 16; ++step, base = std::nextafter(base, 1e9f)) expectLikePrintf(-base);
    }
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) expectLikePrintf(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
}

}  // namespace
}  // namespace kelvara
