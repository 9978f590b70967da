// The corrected results file's lines as pandas and R read them: the columns
// in order, -9999 for what is missing, integers as integers, time stamps
// across midnight and a year end, LF line ends; and the provenance beside it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "io/BlockTime.h"
#include "io/FluxProvenance.h"
#include "io/FluxResultsLine.h"

namespace kelvara {
namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = line.find(',', at);
        fields.push_back(line.substr(at, comma - at));
        if (comma == std::string::npos) return fields;
        at = comma + 1;
    }
}

std::string Line(const CalendarTime& end, const CorrectedFluxes& f) {
    char text[kFluxLineSize];
    const int length = FormatFluxLine(end, f, text);
    EXPECT_EQ(static_cast<std::size_t>(length), std::string(text).size());
    return text;
}

TEST(FluxResultsLine, ValuesIntegersAndMissingInTheirColumns) {
    CorrectedFluxes f;
    f.N = 17999;
    f.tau = 0.123456789012;
    f.H = -1234.5;
    f.LE = std::numeric_limits<double>::infinity();
    f.co2Lag = GasLag{3, 4, true, 0.15, 0.2};
    f.windDirection = 359.99999999;
    f.HSS = 1234567;
    f.tauFlag = 1;
    f.HFlag = 2;
    f.LEFlag = f.FCFlag = 0;
    f.coverage = 99.99444444;
    const std::string line = Line(CalendarTime{2024, 6, 1, 13, 30}, f);
    ASSERT_NE('\n', line.back());
    EXPECT_EQ(std::string::npos, line.find('\r'));
    const auto header = Fields(std::string(kFluxHeader));
    const auto fields = Fields(line);
    ASSERT_EQ(51u, header.size());
    ASSERT_EQ(header.size(), fields.size());
    const auto field = [&](const std::string& name) {
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (header[i] == name) return fields[i];
        }
        return std::string("no such column");
    };
    EXPECT_EQ("202406011300", field("TIMESTAMP_START"));
    EXPECT_EQ("202406011330", field("TIMESTAMP_END"));
    EXPECT_EQ("17999", field("N"));
    EXPECT_EQ("0.123456789", field("TAU"));
    EXPECT_EQ("-1234.5", field("H"));
    EXPECT_EQ("-9999", field("LE"));  // infinite
    EXPECT_EQ("-9999", field("FC"));  // never set: NaN
    EXPECT_EQ("0.15", field("CO2_TLAG"));
    EXPECT_EQ("0.2", field("CO2_TLAG_ACTUAL"));
    EXPECT_EQ("1", field("CO2_TLAG_DEF"));
    EXPECT_EQ("0", field("H2O_TLAG_DEF"));
    EXPECT_EQ("360", field("WD"));  // %.9g rounds
    EXPECT_EQ("1234567", field("H_SS"));
    EXPECT_EQ("-9999", field("TAU_SS"));
    EXPECT_EQ("1", field("TAU_SSITC_TEST"));
    EXPECT_EQ("2", field("H_SSITC_TEST"));
    EXPECT_EQ("99.9944444", field("COVERAGE"));
    EXPECT_EQ("COVERAGE", header.back());
}

TEST(FluxResultsLine, ARejectedHalfHourIsItsTimeStampsAndMissingValues) {
    char text[kFluxLineSize];
    FormatRejectedFluxLine(CalendarTime{2024, 3, 1, 0, 0}, text);
    const std::string line = text;
    EXPECT_EQ(0u, line.find("202402292330,202403010000,-9999,"));  // a leap day before midnight
    const auto fields = Fields(line);
    EXPECT_EQ(51u, fields.size());
    EXPECT_EQ("-9999", fields.back());
}

TEST(FluxResultsLine, TimeStampsAcrossMidnightAndTheYearsEnd) {
    char text[13];
    FormatCompactTime(MinutesBefore(CalendarTime{2024, 1, 1, 0, 0}, 30), text);
    EXPECT_STREQ("202312312330", text);
    FormatCompactTime(MinutesBefore(CalendarTime{2023, 3, 1, 0, 30}, 30), text);
    EXPECT_STREQ("202303010000", text);
    FormatCompactTime(MinutesBefore(CalendarTime{2023, 3, 1, 0, 0}, 30), text);
    EXPECT_STREQ("202302282330", text);

    // The standard methods' half hour that opens at 23:30 ends at 00:00 of the next day.
    CalendarTime end{};
    ASSERT_TRUE(BlockEndTime("2023-12-31", HalfHourKey{23, 30}, end));
    FormatCompactTime(end, text);
    EXPECT_STREQ("202401010000", text);
    ASSERT_TRUE(BlockEndTime("2024-06-01", HalfHourKey{9, 0}, end));
    FormatCompactTime(end, text);
    EXPECT_STREQ("202406010930", text);
    EXPECT_FALSE(BlockEndTime("01.06.2024", HalfHourKey{9, 0}, end));
    EXPECT_FALSE(BlockEndTime("2024-06-01", HalfHourKey{25, 0}, end));
}

TEST(FluxProvenance, SaysHowTheFileWasMade) {
    FluxProvenance provenance;
    provenance.programVersion = "1.2.3";
    provenance.site.measurementHeight = 3.0;
    provenance.site.canopyHeight = 1.0;
    provenance.fs = 20.0;
    provenance.fsFromTimeStamps = true;
    provenance.rotation = RotationSettings{Rotation::PlanarFit, PlaneCoefficients{0.1f, -0.02f, 0.03f}};
    provenance.limits = BuiltInRangeLimits();
    provenance.limits.CO2_Max = std::numeric_limits<float>::infinity();
    provenance.columns = "auto";
    provenance.statusRule = "0";
    provenance.inputFiles = {"a.dat", "b\xff.dat"};
    const std::string text = FluxProvenanceJson(provenance);
    ASSERT_EQ('\n', text.back());
    const auto json = nlohmann::json::parse(text);
    EXPECT_EQ("1.2.3", json["version"]);
    EXPECT_EQ(3.0, json["site"]["site"]["measurement_height"]);
    EXPECT_EQ(0.67, json["site"]["site"]["displacement_height"]);
    EXPECT_EQ("auto", json["site"]["lag"]["co2_min"]);
    EXPECT_EQ("auto", json["site"]["processing"]["fs"]);
    EXPECT_EQ(20.0, json["sampling_frequency_hz"]);
    EXPECT_EQ("time stamps", json["sampling_frequency_from"]);
    EXPECT_EQ("planar fit", json["rotation"]["method"]);
    EXPECT_EQ(-0.02, json["rotation"]["b1"]);  // the single's shortest text
    EXPECT_EQ(-50.0, json["range_limits"]["U"]["min"]);
    EXPECT_TRUE(json["range_limits"]["CO2"]["max"].is_null());
    EXPECT_EQ("auto", json["columns"]);
    EXPECT_EQ("0", json["status_rule"]);
    EXPECT_EQ(2u, json["input_files"].size());
}

}  // namespace
}  // namespace kelvara
