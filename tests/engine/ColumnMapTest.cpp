// Logger tables read through a column map: the map, the header's names and
// units, the status rule, and, above all, results byte for byte those of the
// same records in the default layout.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "io/ColumnLayout.h"
#include "io/HeaderFields.h"
#include "io/InputFormat.h"
#include "io/MappedRecord.h"
#include "io/NumberText.h"
#include "io/StatusRule.h"
#include "DesktopBatch.h"
#include "jobs/BatchJob.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RecordingPort;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

const std::vector<std::string> kLoggerHeader = {
    R"("TABLE","6843","LOGGER","6843","OS.22","CPU:FLUX.PRG","24006","ts_Above")",
    R"("TIMESTAMP","RECORD","Ux","Uy","Uz","co2","h2o","Ts","press","diag_sonic")",
    R"("TS","RN","m/s","m/s","m/s","mg/m^3","g/m^3","C","kPa","m/s")",
    R"("","","Smp","Smp","Smp","Smp","Smp","Smp","Smp","Smp")",
};

InputFormat Format(const std::string& columns, const std::string& goodStatus = "") {
    InputFormat format;
    std::string problem;
    EXPECT_TRUE(ParseColumns(columns, format, problem)) << problem;
    if (!goodStatus.empty()) {
        EXPECT_TRUE(StatusRule::Parse(goodStatus, format.goodStatus, problem)) << problem;
    }
    return format;
}

TEST(StatusRule, ReadsValuesAndRangesAndRefusesAnythingElse) {
    StatusRule rule;
    std::string problem;
    EXPECT_TRUE(rule.IsRawFormatRule());
    EXPECT_TRUE(rule.Keeps(0) && rule.Keeps(13) && !rule.Keeps(14) && !rule.Keeps(-1) && !rule.Keeps(kNoStatus));
    ASSERT_TRUE(StatusRule::Parse(" 0, 1 ,4-7,-3--2", rule, problem)) << problem;
    EXPECT_EQ(rule.Text(), "0,1,4-7,-3--2");
    for (int status : {0, 1, 4, 7, -3, -2}) EXPECT_TRUE(rule.Keeps(status)) << status;
    for (int status : {2, 3, 8, -1, -4}) EXPECT_FALSE(rule.Keeps(status)) << status;
    for (const char* bad : {"", "a", "1,", "5-2", "1-", "0x1", "3000000000", "-2147483648"}) {
        EXPECT_FALSE(StatusRule::Parse(bad, rule, problem)) << bad;
        EXPECT_NE(problem.find("good-status"), std::string::npos);
    }
    EXPECT_EQ(rule.Text(), "0,1,4-7,-3--2");  // a refused text leaves the rule as it was
}

TEST(ColumnMap, ParsesAutoMapsAndRefusesIncompleteOnes) {
    InputFormat format;
    std::string problem;
    ASSERT_TRUE(ParseColumns("AUTO", format, problem));
    EXPECT_EQ(format.source, ColumnSource::Auto);
    ASSERT_TRUE(ParseColumns("u=3, V=4,W=5,co2=6,H2O=h2o,Ts=8,P=press,STATUS=10,time=TIMESTAMP", format, problem));
    EXPECT_EQ(format.source, ColumnSource::Map);
    EXPECT_EQ(format.map[kMapU], "3");
    EXPECT_EQ(format.map[kMapH2O], "h2o");
    EXPECT_EQ(ColumnsText(format), "time=TIMESTAMP,U=3,V=4,W=5,CO2=6,H2O=h2o,Ts=8,P=press,status=10");
    const std::pair<const char*, const char*> refused[] = {
        {"U=1,V=2", "lacks W, CO2, H2O, Ts, P, status"},
        {"U=1,U=2,V=2,W=3,CO2=4,H2O=5,Ts=6,P=7,status=8", "U twice"},
        {"X=1,U=1,V=2,W=3,CO2=4,H2O=5,Ts=6,P=7,status=8", "\"X\""},
        {"U,V=2", "not TARGET=COLUMN"},
        {"U=,V=2", "no column for U"},
    };
    for (const auto& [text, why] : refused) {
        EXPECT_FALSE(ParseColumns(text, format, problem)) << text;
        EXPECT_NE(problem.find(why), std::string::npos) << problem;
    }
}

TEST(ColumnMap, AutoMapsTheLoggerHeaderByNamesAndAliases) {
    ColumnLayout layout;
    std::string description;
    std::string problem;
    ASSERT_TRUE(ResolveColumns(Format("auto"), kLoggerHeader, layout, description, problem)) << problem;
    EXPECT_TRUE(layout.mapped);
    const int expected[kMapTargetCount] = {0, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int target = 0; target < kMapTargetCount; ++target) EXPECT_EQ(layout.column[target], expected[target]);
    EXPECT_EQ(description,
              "time=TIMESTAMP (column 1), U=Ux (column 3), V=Uy (column 4), W=Uz (column 5), CO2=co2 (column 6), "
              "H2O=h2o (column 7), Ts=Ts (column 8), P=press (column 9), status=diag_sonic (column 10)");

    // Other names, other order, bare names, the first diag word as the status.
    const std::vector<std::string> other = {"x",
                                            "rho_v,diag_csat,u,V,w,ts_time,T_SONIC,amb_press,rho_c,diag_irga,TIMESTAMP",
                                            "g/m^3,-,m s-1,M/S,m/s,-,deg C,kPa,mg m-3,-,TS", ""};
    ASSERT_TRUE(ResolveColumns(Format("auto"), other, layout, description, problem)) << problem;
    const int shuffled[kMapTargetCount] = {10, 2, 3, 4, 8, 0, 6, 7, 1};
    for (int target = 0; target < kMapTargetCount; ++target) EXPECT_EQ(layout.column[target], shuffled[target]);
}

TEST(ColumnMap, DetectionReadsByNamesOnlyWhatPositionsWouldMisread) {
    EXPECT_EQ(InputFormat{}.source, ColumnSource::Detect);
    EXPECT_EQ(ColumnsText(InputFormat{}), "detect");
    EXPECT_EQ(Format("DETECT").source, ColumnSource::Detect);
    EXPECT_EQ(Format("default").source, ColumnSource::Positions);
    ColumnLayout layout;
    std::string description;
    std::string problem;
    // A logger table: by its names, units checked, told as auto tells it.
    ASSERT_TRUE(ResolveColumns(InputFormat{}, kLoggerHeader, layout, description, problem)) << problem;
    EXPECT_TRUE(layout.mapped);
    EXPECT_EQ(layout.column[kMapU], 2);
    EXPECT_EQ(layout.column[kMapStatus], 9);
    EXPECT_TRUE(description.starts_with("time=TIMESTAMP (column 1), U=Ux (column 3)")) << description;
    std::vector<std::string> header = kLoggerHeader;
    header[2] = R"("TS","RN","m/s","m/s","m/s","ppm","g/m^3","C","kPa","m/s")";
    EXPECT_FALSE(ResolveColumns(InputFormat{}, header, layout, description, problem));
    EXPECT_NE(problem.find("has the unit \"ppm\""), std::string::npos) << problem;

    // Everything else keeps the default layout, whatever its units: the
    // names in the default positions, a column left unnamed, no header.
    const std::vector<std::vector<std::string>> byPosition = {
        {"x", R"("TIMESTAMP","Ux","Uy","Uz","co2","h2o","Ts","press","diag")", "TS,ft/s,-,-,ppm,-,F,hPa,-", ""},
        {"x", R"("TIMESTAMP","RECORD","Ux","Uy","Uz","co2","h2o","Ts","press")", "", ""},
        {"x", R"("Ux","Uy","Uz","co2","h2o","Ts","press","diag")", "", ""},
        {},
    };
    for (const auto& lines : byPosition) {
        ASSERT_TRUE(ResolveColumns(InputFormat{}, lines, layout, description, problem)) << problem;
        EXPECT_FALSE(layout.mapped) << (lines.size() > 1 ? lines[1] : "no header");
        EXPECT_EQ(description, "");
    }
}

TEST(ColumnMap, AMissingColumnOrAnUnknownUnitIsRefusedByName) {
    ColumnLayout layout;
    std::string description;
    std::string problem;
    std::vector<std::string> header = kLoggerHeader;
    header[1] = R"("TIMESTAMP","RECORD","Ux","Uy","Uz","CO2_dens","h2o","Ts","diag_sonic")";
    EXPECT_FALSE(ResolveColumns(Format("auto"), header, layout, description, problem));
    EXPECT_EQ(problem,
              "no column for CO2 (co2, rho_c), P (press, P, amb_press); the header names TIMESTAMP, RECORD, Ux, Uy, "
              "Uz, CO2_dens, h2o, Ts, diag_sonic");

    header = kLoggerHeader;
    header[2] = R"("TS","RN","m/s","m/s","m/s","ppm","g/m^3","C","kPa","m/s")";
    EXPECT_FALSE(ResolveColumns(Format("auto"), header, layout, description, problem));
    EXPECT_NE(problem.find("the column \"co2\" (CO2) has the unit \"ppm\"; expected mg/m^3"), std::string::npos)
        << problem;
    InputFormat unchecked = Format("auto");
    unchecked.checkUnits = false;
    EXPECT_TRUE(ResolveColumns(unchecked, header, layout, description, problem));

    // An explicit map is checked against the names, never against the units.
    EXPECT_FALSE(ResolveColumns(Format("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=vapour,Ts=Ts,P=press,status=diag_sonic"), header,
                                layout, description, problem));
    EXPECT_NE(problem.find("no column named \"vapour\" for H2O"), std::string::npos) << problem;
    EXPECT_TRUE(ResolveColumns(Format("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic"), header, layout,
                               description, problem));
    // Numbers need no header at all.
    EXPECT_TRUE(ResolveColumns(Format("U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=9,status=10"), {}, layout, description, problem));
    EXPECT_EQ(layout.lastColumn, 9);
    EXPECT_EQ(description,
              "time=column 1, U=column 3, V=column 4, W=column 5, CO2=column 6, H2O=column 7, Ts=column 8, "
              "P=column 9, status=column 10");
    EXPECT_FALSE(ResolveColumns(Format("U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=9,status=0"), {}, layout, description, problem));
    EXPECT_FALSE(
        ResolveColumns(Format("U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=9,status=513"), {}, layout, description, problem));
}

TEST(ColumnMap, UnitsConvertOnceInDouble) {
    UnitConversion conversion;
    const std::pair<int, const char*> accepted[] = {{kU, "m s-1"},
                                                    {kV, "M/S"},
                                                    {kCO2, "mg m^-3"},
                                                    {kH2O, "g/m3"},
                                                    {kTs, "degC"},
                                                    {kTs, "deg C"},
                                                    {kTs,
                                                     "\xC2\xB0"
                                                     "C"},
                                                    {kP, "KPA"}};
    for (const auto& [variable, unit] : accepted) {
        EXPECT_TRUE(ConversionOf(variable, unit, conversion)) << unit;
        EXPECT_EQ(conversion, UnitConversion::None) << unit;
    }
    const std::pair<int, const char*> refused[] = {{kU, "km/h"}, {kCO2, "ppm"}, {kH2O, "mg/m^3"},
                                                   {kTs, "F"},   {kP, "bar"},   {kU, ""}};
    for (const auto& [variable, unit] : refused) EXPECT_FALSE(ConversionOf(variable, unit, conversion)) << unit;
    ASSERT_TRUE(ConversionOf(kTs, "K", conversion));
    EXPECT_EQ(Convert(conversion, 300.0), 300.0 - 273.15);
    ASSERT_TRUE(ConversionOf(kP, "Pa", conversion));
    EXPECT_EQ(Convert(conversion, 98765.0), 98765.0 / 1000.0);
    ASSERT_TRUE(ConversionOf(kP, "hPa", conversion));
    EXPECT_EQ(Convert(conversion, 987.65), 987.65 / 10.0);
    ASSERT_TRUE(ConversionOf(kCO2, "mmol/m^3", conversion));
    EXPECT_EQ(Convert(conversion, 15.9), 15.9 * 44.0095);
    ASSERT_TRUE(ConversionOf(kH2O, "mmol m-3", conversion));
    EXPECT_EQ(Convert(conversion, 555.0), 555.0 * 0.01801528);
}

TEST(ColumnMap, MappedLinesSkipQuotedTextNanAndExtraColumns) {
    ColumnLayout layout;
    std::string description;
    std::string problem;
    std::vector<std::string> header = kLoggerHeader;
    header[1] = R"("TIMESTAMP","RECORD","note","Ux","Uy","Uz","co2","h2o","Ts","press","diag_sonic","more")";
    header[2] = R"("TS","RN","","m/s","m/s","m/s","mg/m^3","g/m^3","C","kPa","","")";
    ASSERT_TRUE(ResolveColumns(Format("auto"), header, layout, description, problem)) << problem;
    RawRecord record;
    const std::string line =
        R"("2012-06-07 12:45:00.05",NAN,"a, b",2.00875,-1.59625,-0.4375,667.4865,8.788113,27.65771,100.2198,3,NAN)"
        "\r";
    ASSERT_TRUE(ParseMappedLine(line.data(), line.data() + line.size(), layout, record));
    EXPECT_STREQ(record.date, "2012-06-07");
    EXPECT_STREQ(record.hour, "12");
    EXPECT_STREQ(record.minute, "45");
    EXPECT_EQ(record.value[kU], 2.00875f);
    EXPECT_EQ(record.value[kP], 100.2198f);
    EXPECT_EQ(record.status, 3);
    const std::string nanStatus = R"("2012-06-07 12:45:00.1",1,"",1,2,3,4,5,6,7,NAN)";
    ASSERT_TRUE(ParseMappedLine(nanStatus.data(), nanStatus.data() + nanStatus.size(), layout, record));
    EXPECT_EQ(record.status, kNoStatus);
    const std::string shortLine = R"("2012-06-07 12:45:00.1",1,"",1,2,3,4,5,6)";
    EXPECT_FALSE(ParseMappedLine(shortLine.data(), shortLine.data() + shortLine.size(), layout, record));
}

// Whole jobs: a logger table and the same records in the default layout.
class MappedJobTest : public ::testing::Test {
protected:
    MappedJobTest() : windir_("WINDIR", dir_.path().string().c_str()) {}

    // The same seed gives the same records in either layout.
    fs::path Sample(const std::string& name, samples::SampleOptions options) {
        options.seed = 7;
        options.hours = 1.2;
        options.start = "2024-06-01 23:10:00";
        options.spikeRate = 0.002;
        options.badStatusRate = 0.01;
        const fs::path file = dir_ / name;
        EXPECT_TRUE(samples::WriteRawSample(file, options)) << samples::CheckSampleOptions(options);
        return file;
    }
    fs::path Table(const std::string& name, std::vector<std::string> order = {}, int extra = 0) {
        samples::SampleOptions options;
        options.table = true;
        options.columnOrder = std::move(order);
        options.extraColumns = extra;
        return Sample(name, options);
    }
    fs::path Default(const std::string& name) { return Sample(name, samples::SampleOptions{}); }

    // The single run's results text.
    std::string Run(const fs::path& raw, const InputFormat& format, const std::string& out,
                    RotationInputs rotation = {}) {
        RunJob job;
        RecordingPort port;
        const RunInputs inputs{
            .files = {raw.string()}, .outputFile = (dir_ / out).string(), .rotation = rotation, .input = format};
        EXPECT_TRUE(job.Run(inputs, port)) << (port.messages.empty() ? "" : port.messages.back().text);
        return ReadFile(dir_ / (out + (rotation.rotation == Rotation::PlanarFit ? ".rfw" : ".r1w")));
    }
    std::string RunStandard(const std::vector<fs::path>& raws, const InputFormat& format, const std::string& out) {
        RunJob job;
        RecordingPort port;
        RunInputs inputs{.methods = Methods::Standard, .outputFile = (dir_ / out).string(), .input = format};
        for (const fs::path& raw : raws) inputs.files.push_back(raw.string());
        EXPECT_TRUE(job.Run(inputs, port)) << (port.messages.empty() ? "" : port.messages.back().text);
        return ReadFile(dir_ / (out + ".s1w"));
    }

    TempDir dir_;
    ScopedEnv windir_;
};

TEST_F(MappedJobTest, ATableGivesByteForByteTheDefaultLayoutsResults) {
    const fs::path plain = Default("plain.dat");
    const fs::path table = Table("table.dat");
    const std::string expected = Run(plain, InputFormat{}, "plain");
    ASSERT_GT(expected.size(), 300u);
    EXPECT_EQ(Run(table, Format("auto"), "auto"), expected);
    EXPECT_EQ(
        Run(table, Format("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic,time=TIMESTAMP"), "names"),
        expected);
    EXPECT_EQ(Run(table, Format("U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=9,status=10"), "numbers"), expected);
    const RotationInputs plane{Rotation::PlanarFit, "0.01", "0.02", "-0.03"};
    EXPECT_EQ(Run(table, Format("auto"), "plane", plane), Run(plain, InputFormat{}, "plainplane", plane));

    // Shuffled columns, with NAN and quoted commas after the status.
    const fs::path shuffled =
        Table("shuffled.dat", {"RECORD", "diag_sonic", "press", "Ts", "TIMESTAMP", "h2o", "co2", "Uz", "Uy", "Ux"}, 3);
    EXPECT_EQ(Run(shuffled, Format("auto"), "shuffled"), expected);

    // The standard methods read the same way.
    EXPECT_EQ(RunStandard({shuffled}, Format("auto"), "std-table"), RunStandard({plain}, InputFormat{}, "std-plain"));
}

TEST_F(MappedJobTest, BatchesMapEachFileByItsOwnHeader) {
    const fs::path plain = Default("plain.dat");
    const fs::path table = Table("table.dat");
    const fs::path shuffled =
        Table("other.dat", {"TIMESTAMP", "Uz", "Uy", "Ux", "RECORD", "co2", "h2o", "Ts", "diag_sonic", "press"});
    const std::string expected = Run(plain, InputFormat{}, "plain");
    WriteFile(dir_ / "list.txt", table.string() + "\n" + shuffled.string() + "\n");
    RecordingPort port;
    testing::DesktopBatch batch;
    ASSERT_TRUE(batch.Run({.listFile = (dir_ / "list.txt").string(), .input = Format("auto")}, port));
    EXPECT_EQ(ReadFile(table.string() + ".r1w"), expected);
    EXPECT_EQ(ReadFile(shuffled.string() + ".r1w"), expected);
    EXPECT_EQ(port.events.front().rfind("columns:", 0), 0u);

    testing::DesktopBatch standard;
    ASSERT_TRUE(standard.Run(
        {.methods = Methods::Standard, .listFile = (dir_ / "list.txt").string(), .input = Format("auto")}, port));
    EXPECT_EQ(ReadFile(table.string() + ".s1w"), RunStandard({plain}, InputFormat{}, "std-plain"));
    EXPECT_EQ(ReadFile(shuffled.string() + ".s1w"), ReadFile(table.string() + ".s1w"));
    // The batch on two workers, in both methods.
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        const std::string suffix = methods == Methods::Default ? ".r1w" : ".s1w";
        const std::string sequential = ReadFile(table.string() + suffix);
        fs::remove(table.string() + suffix);
        fs::remove(shuffled.string() + suffix);
        BatchJob parallel;
        ASSERT_EQ(BatchJob::End::Finished, parallel.Run({.methods = methods,
                                                         .listFile = (dir_ / "list.txt").string(),
                                                         .input = Format("auto"),
                                                         .options = {.jobs = 2}},
                                                        port));
        EXPECT_EQ(ReadFile(table.string() + suffix), sequential);
        EXPECT_EQ(ReadFile(shuffled.string() + suffix), sequential);
    }
}

// Each value of a converted column, converted as text beforehand and written
// with every digit, gives the same results.
TEST_F(MappedJobTest, ConvertedUnitsMatchTheTextConvertedFirst) {
    samples::SampleOptions options;
    options.table = true;
    options.temperatureUnit = "K";
    options.pressureUnit = "Pa";
    options.gasInMillimoles = true;
    const fs::path table = Sample("units.dat", options);
    const std::string text = ReadFile(table);
    std::string converted;
    std::size_t at = 0;
    for (int line = 0; at < text.size(); ++line) {
        const std::size_t end = text.find('\n', at);
        const std::string row = text.substr(at, end - at + 1);
        at = end + 1;
        if (line < 4) {
            converted += row;
            continue;
        }
        std::vector<std::string> fields;
        for (std::size_t p = 0, q; (q = row.find_first_of(",\r\n", p)) != std::string::npos; p = q + 1) {
            fields.push_back(row.substr(p, q - p));
            if (row[q] != ',') break;
        }
        char buffer[64];
        const auto write = [&](double value) {
            std::snprintf(buffer, sizeof buffer, "%.17g,", value);
            converted += buffer;
        };
        converted += fields[0] + ",";
        for (int column = 2; column <= 4; ++column) converted += fields[static_cast<std::size_t>(column)] + ",";
        write(AtofText(fields[5]) * 44.0095);
        write(AtofText(fields[6]) * 0.01801528);
        write(AtofText(fields[7]) - 273.15);
        write(AtofText(fields[8]) / 1000.0);
        converted += fields[9] + "\r\n";
    }
    WriteFile(dir_ / "converted.dat", converted);
    RecordingPort port;
    // The converted file keeps the table's header over default-layout records: positions forced.
    EXPECT_EQ(Run(table, Format("auto"), "units"), Run(dir_ / "converted.dat", Format("default"), "converted"));
}

TEST_F(MappedJobTest, ARefusedFileStopsTheRunBeforeAnythingIsWritten) {
    std::string text = ReadFile(Table("table.dat"));
    text.replace(text.find("\"C\""), 3, "\"F\"");
    WriteFile(dir_ / "fahrenheit.dat", text);
    RunJob job;
    RecordingPort port;
    EXPECT_FALSE(job.Run(
        {.files = {(dir_ / "fahrenheit.dat").string()}, .outputFile = (dir_ / "out").string(), .input = Format("auto")},
        port));
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].title, "Input Columns Don't Match!");
    EXPECT_NE(port.messages[0].text.find("fahrenheit.dat: the column \"Ts\" (Ts) has the unit \"F\"; expected C"),
              std::string::npos)
        << port.messages[0].text;
    EXPECT_FALSE(fs::exists(dir_ / "out.r1w"));

    // In a batch, a later file's header stops it before the first is written.
    WriteFile(dir_ / "list.txt", (dir_ / "table.dat").string() + "\n" + (dir_ / "fahrenheit.dat").string() + "\n");
    testing::DesktopBatch batch;
    EXPECT_FALSE(batch.Run({.listFile = (dir_ / "list.txt").string(), .input = Format("auto")}, port));
    EXPECT_FALSE(fs::exists(dir_ / "table.dat.r1w"));
}

// Every line of a table after the first, changed by edit(line, index): the
// header's names, units and kinds from -3, the records from 0.
template <typename Edit>
void EditRecords(const fs::path& file, Edit edit) {
    const std::string text = ReadFile(file);
    std::string out;
    std::size_t at = 0;
    for (int line = 0; at < text.size(); ++line) {
        const std::size_t end = text.find('\n', at) + 1;
        std::string whole = text.substr(at, end - at);
        if (line >= 1) edit(whole, line - 4);
        out += whole;
        at = end;
    }
    WriteFile(file, out);
}

TEST_F(MappedJobTest, ATextColumnOfAnyLengthLosesNoRecord) {
    const fs::path plain = Default("plain.dat");
    const fs::path table = Table("table.dat");
    // A note column between the time stamp and the values; every 997th
    // record's note is longer than any buffer load.
    EditRecords(table, [](std::string& line, int index) {
        const std::string note = index == -3        ? "note"
                                 : index < 0        ? ""
                                 : index % 997 == 0 ? std::string(70000, 'n')
                                                    : "n";
        line.insert(line.find("\",") + 1, ",\"" + note + "\"");
    });
    EXPECT_EQ(Run(table, Format("auto"), "long"), Run(plain, InputFormat{}, "plain"));
    EXPECT_EQ(RunStandard({table}, Format("auto"), "std-long"), RunStandard({plain}, InputFormat{}, "std-plain"));
}

TEST_F(MappedJobTest, ATimeStampWithoutItsHourStopsTheRunOnItsLine) {
    const fs::path table = Table("table.dat");
    EditRecords(table, [](std::string& line, int index) {
        if (index == 20000) line.replace(line.find(' '), 1, "T");
    });
    RecordingPort port;
    EXPECT_FALSE(RunJob().Run(
        {.files = {table.string()}, .outputFile = (dir_ / "out").string(), .input = Format("auto")}, port));
    ASSERT_FALSE(port.messages.empty());
    EXPECT_EQ("A time stamp of the raw data file does not read!", port.messages.back().title);
    EXPECT_EQ("Can't Read Time Stamp!", port.messages.back().text);
    std::string explained;
    for (const std::string& event : port.events) {
        if (event.starts_with("explain:")) explained = event;
    }
    EXPECT_NE(std::string::npos, explained.find("table.dat: line 20005: \"2024-06-")) << explained;
    EXPECT_NE(std::string::npos, explained.find("is no time stamp")) << explained;
    EXPECT_FALSE(fs::exists(dir_ / "out.r1w"));
}

TEST_F(MappedJobTest, AColumnBeyondEveryLineIsNamedWhenNoRecordIsRead) {
    // The header names twelve columns, the records have ten.
    const fs::path table = Table("table.dat");
    EditRecords(table, [](std::string& line, int index) {
        if (index == -3) line.insert(line.find_last_not_of("\r\n") + 1, R"(,"spare","diag")");
    });
    const auto noFluxes = [&](const std::string& columns, Methods methods) {
        RecordingPort port;
        RunJob().Run({.methods = methods,
                      .files = {table.string()},
                      .outputFile = (dir_ / "out").string(),
                      .input = Format(columns)},
                     port);
        return port.messages.empty() ? std::string() : port.messages.back().text;
    };
    EXPECT_EQ(noFluxes("U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag", Methods::Default),
              "No fluxes computed: the column \"diag\" (status, column 12) is in no record line: lines have 10 "
              "columns.");
    EXPECT_EQ(noFluxes("U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=11,status=13", Methods::Standard),
              "No fluxes computed: the columns \"spare\" (P, column 11) and 13 (status) are in no record line: "
              "lines have 10 columns.");
}

TEST_F(MappedJobTest, TheGoodStatusListAppliesWithAndWithoutAMap) {
    // Status 5 on every third record, as a sonic's bit field gives it: kept
    // by the default 0-13, dropped by the list "0".
    std::string plain = ReadFile(Default("plain.dat"));
    std::string onlyZero;
    std::string withFive;
    std::size_t at = 0;
    for (int line = 0; at < plain.size(); ++line) {
        const std::size_t end = plain.find('\n', at);
        std::string row = plain.substr(at, end - at + 1);
        at = end + 1;
        if (line >= 4 && line % 3 == 0) {
            row.replace(row.rfind(',') + 1, std::string::npos, "5\r\n");
            withFive += row;
            continue;
        }
        withFive += row;
        if (line < 4 || row.find(",0\r\n") != std::string::npos) onlyZero += row;
    }
    WriteFile(dir_ / "five.dat", withFive);
    WriteFile(dir_ / "zero.dat", onlyZero);
    const std::string expected = Run(dir_ / "zero.dat", InputFormat{}, "zero");
    InputFormat zeroOnly;
    std::string problem;
    ASSERT_TRUE(StatusRule::Parse("0", zeroOnly.goodStatus, problem));
    EXPECT_EQ(Run(dir_ / "five.dat", zeroOnly, "ruled"), expected);
    EXPECT_NE(Run(dir_ / "five.dat", InputFormat{}, "unruled"), expected);

    // A NAN status is no status in a mapped file: the record is dropped.
    std::string table = ReadFile(Table("table.dat"));
    std::string nanTable;
    std::string dropped;
    at = 0;
    for (int line = 0; at < table.size(); ++line) {
        const std::size_t end = table.find('\n', at);
        std::string row = table.substr(at, end - at + 1);
        at = end + 1;
        if (line >= 4 && line % 5 == 0) row.replace(row.rfind(',') + 1, std::string::npos, "NAN\r\n");
        nanTable += row;
        if (line < 4 || row.find(",NAN\r\n") == std::string::npos) dropped += row;
    }
    WriteFile(dir_ / "nan.dat", nanTable);
    WriteFile(dir_ / "dropped.dat", dropped);
    EXPECT_EQ(Run(dir_ / "nan.dat", Format("auto", "0-13"), "nan"), Run(dir_ / "dropped.dat", Format("auto"), "drop"));
}

}  // namespace
}  // namespace kelvara
