// The synthetic raw files the benchmark and the tools rely on: reproducible,
// with the line ends asked for, a logger's four header lines and the
// planned number of records.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SampleGenerator.h"
#include "TempDir.h"

namespace kelvara::samples {
namespace {

SampleOptions Options(double hours, std::uint64_t seed, bool crlf = true) {
    SampleOptions options;
    options.seed = seed, options.hours = hours, options.crlf = crlf;
    options.start = "2024-06-01 10:00:00";
    return options;
}

TEST(SampleGenerator, SameSeedSameBytesAndTheFileEqualsTheText) {
    const std::string text = MakeRawSample(Options(0.05, 42));
    EXPECT_EQ(text, MakeRawSample(Options(0.05, 42)));
    EXPECT_NE(text, MakeRawSample(Options(0.05, 43)));
    testing::TempDir dir;
    ASSERT_TRUE(WriteRawSample(dir / "tower.dat", Options(0.05, 42)));
    EXPECT_EQ(text, testing::ReadFile(dir / "tower.dat"));
}

TEST(SampleGenerator, LineEndsHeaderAndRecordCount) {
    const std::string crlf = MakeRawSample(Options(0.5, 3)), lf = MakeRawSample(Options(0.5, 3, false));
    const auto lines = std::count(crlf.begin(), crlf.end(), '\n');
    EXPECT_EQ(4 + 18000, lines);  // half an hour at 10 Hz
    EXPECT_EQ(18000, PlannedRecordCount(Options(0.5, 3)));
    EXPECT_EQ(lines, std::count(crlf.begin(), crlf.end(), '\r'));
    EXPECT_TRUE(crlf.ends_with("\r\n"));
    EXPECT_EQ(lines, std::count(lf.begin(), lf.end(), '\n'));
    EXPECT_EQ(std::string::npos, lf.find('\r'));
    std::string withoutCr = crlf;
    withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
    EXPECT_EQ(lf, withoutCr);

    // Four header lines, none of which looks like a record; then the records.
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = lf.find('\n', at);
        EXPECT_LT(end - at, 100u);
        EXPECT_FALSE(lf.compare(at, 3, "\"20") == 0) << lf.substr(at, end - at);
        at = end + 1;
    }
    EXPECT_EQ("\"2024-06-01 10:00:00.0\",", lf.substr(at, 24));
    EXPECT_EQ(lf.substr(0, at), MakeRawSample(Options(0.0, 3, false)));  // no hours: the header alone
}

// The logger table: its header names the columns in the order asked for,
// with their units; each record holds the default layout's fields plus a
// counting record number and the extra columns.
TEST(SampleGenerator, TableHeaderColumnOrderUnitsAndRecordNumbers) {
    SampleOptions options = Options(0.01, 5);
    const std::string plain = MakeRawSample(options);
    options.table = true;
    options.columnOrder = {"RECORD", "TIMESTAMP", "diag_sonic", "Ux", "Uy", "Uz", "co2", "h2o", "Ts", "press"};
    options.extraColumns = 2;
    options.temperatureUnit = "K";
    options.pressureUnit = "hPa";
    const std::string table = MakeRawSample(options);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), std::count(plain.begin(), plain.end(), '\n'));
    const auto line = [](const std::string& text, int number) {
        std::size_t at = 0;
        for (int i = 0; i < number; ++i) at = text.find('\n', at) + 1;
        return text.substr(at, text.find('\r', at) - at);
    };
    EXPECT_EQ(line(table, 1),
              R"("RECORD","TIMESTAMP","diag_sonic","Ux","Uy","Uz","co2","h2o","Ts","press","extra_1","extra_2")");
    EXPECT_EQ(line(table, 2),
              R"("RN","TS","unitless","m/s","m/s","m/s","mg/m^3","g/m^3","K","hPa","unitless","unitless")");
    // "2024-06-01 10:00:00.0",U,V,W,CO2,H2O,Ts,P,0 becomes
    // 111850400,"2024-06-01 10:00:00.0",0,U,V,W,CO2,H2O,Ts+273.15,P*10,NAN,"OK, fine".
    const std::string first = line(plain, 4);
    const std::string stamp = first.substr(0, first.find(','));
    EXPECT_TRUE(line(table, 4).starts_with("111850400," + stamp + ",0,")) << line(table, 4);
    EXPECT_TRUE(line(table, 5).starts_with("111850401,")) << line(table, 5);
    EXPECT_TRUE(line(table, 4).ends_with(R"(,NAN,"OK, fine")")) << line(table, 4);

    options.columnOrder = {"TIMESTAMP", "Ux"};
    EXPECT_NE(CheckSampleOptions(options), "");
    EXPECT_EQ(MakeRawSample(options), "");
    options.columnOrder = {};
    options.pressureUnit = "bar";
    EXPECT_NE(CheckSampleOptions(options), "");
}

// The options for the corrections change only what they name: a lag moves
// the gases alone, and the bounds are checked.
TEST(SampleGenerator, GasLagsTouchOnlyTheGasColumnsAndAreBounded) {
    SampleOptions options = Options(0.01, 9);
    const std::string plain = MakeRawSample(options);
    options.co2LagSeconds = 0.5;
    options.h2oLagSeconds = 0.2;
    const std::string lagged = MakeRawSample(options);
    ASSERT_EQ(std::count(plain.begin(), plain.end(), '\n'), std::count(lagged.begin(), lagged.end(), '\n'));
    // Time stamp, u, v, w, then the gases: the first four fields agree on every line.
    std::size_t a = 0, b = 0;
    int differing = 0;
    while (a < plain.size()) {
        const std::string x = plain.substr(a, plain.find('\n', a) - a), y = lagged.substr(b, lagged.find('\n', b) - b);
        std::size_t cut = 0;
        for (int comma = 0; comma < 4 && cut != std::string::npos; ++comma) cut = x.find(',', cut + 1);
        EXPECT_EQ(x.substr(0, cut), y.substr(0, cut));
        differing += x != y ? 1 : 0;
        a += x.size() + 1;
        b += y.size() + 1;
    }
    EXPECT_GT(differing, 300);
    options.co2LagSeconds = 61.0;
    EXPECT_NE(CheckSampleOptions(options), "");
    options.co2LagSeconds = -0.1;
    EXPECT_NE(CheckSampleOptions(options), "");
    options.co2LagSeconds = 0.0;
    options.trend = 11.0;
    EXPECT_NE(CheckSampleOptions(options), "");
}

}  // namespace
}  // namespace kelvara::samples
