// What a job says when its results hold no fluxes or half hours were
// rejected for their range: the cause, the variable and limit, the range
// value that did not read, and the hint for a logger table read by position.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "jobs/RunDiagnosis.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

// Keeps the diagnosis and the warnings.
class DiagnosedPort : public testing::RecordingPort {
public:
    std::optional<RunDiagnosis> noFluxes;
    std::vector<std::string> warnings;
    void ShowNoFluxes(const RunDiagnosis& diagnosis) override { noFluxes = diagnosis; }
    void ShowWarning(std::string_view text) override { warnings.emplace_back(text); }
};

class RunDiagnosisTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::ScopedEnv windir{"WINDIR", dir.path().string().c_str()};
    DiagnosedPort port;

    bool Run(const std::string& raw, Methods methods = Methods::Default, const char* columns = "detect") {
        RunInputs inputs{.methods = methods, .files = {(dir / raw).string()}, .outputFile = (dir / "out").string()};
        std::string problem;
        EXPECT_TRUE(ParseColumns(columns, inputs.input, problem));
        return RunJob().Run(inputs, port);
    }
};

TEST_F(RunDiagnosisTest, AMistypedRangeFileIsNamedByLineAndTheLimitThatRejectedEverything) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.hours = 1.0}));
    testing::WriteFile(dir / "range.ini",
                       "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
                       "CO2-Min\tabc\r\nCO2-Max\t1500\r\nH2O-Min\t-20\r\nH2O-Max\t100\r\nTs-Min\t-50\r\nTs-Max\t4O\r\n"
                       "P-Min\t30\r\nP-Max\t150\r\n");
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        port = DiagnosedPort{};
        EXPECT_TRUE(Run("a.dat", methods));
        EXPECT_EQ((std::vector<std::string>{"range.ini line 7: CO2-Min \"abc\" is no number and reads as 0\n"
                                            "range.ini line 12: Ts-Max \"4O\" is no number and reads as 4"}),
                  port.warnings);
        ASSERT_TRUE(port.noFluxes);
        EXPECT_EQ("every half hour was rejected; 36000 records read: 36000 values out of range",
                  port.noFluxes->noFluxes);
        EXPECT_EQ(std::vector<std::string>{"Ts: 36000 values above Ts-Max 4 (range.ini)"},
                  port.noFluxes->rangeRejections);
        EXPECT_TRUE(port.messages.empty());  // no "Processing Finished!"
    }
}

TEST_F(RunDiagnosisTest, ALoggerTableReadByPositionGetsTheColumnMapHint) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "table.dat", {.hours = 0.6, .table = true}));
    ASSERT_TRUE(samples::WriteRawSample(dir / "plain.dat", {.hours = 0.6, .badStatusRate = 1.0}));
    EXPECT_TRUE(Run("table.dat", Methods::Default, "default"));
    ASSERT_TRUE(port.noFluxes);
    EXPECT_EQ(NoFluxHint::ColumnMap, port.noFluxes->hint);
    // Detected from its header, the same table gets its fluxes.
    port = DiagnosedPort{};
    EXPECT_TRUE(Run("table.dat"));
    EXPECT_FALSE(port.noFluxes);
    EXPECT_EQ("Processing Finished!", port.LastMessage().text);
    port = DiagnosedPort{};
    EXPECT_TRUE(Run("plain.dat"));
    ASSERT_TRUE(port.noFluxes);
    EXPECT_EQ(NoFluxHint::StatusField, port.noFluxes->hint);
}

TEST_F(RunDiagnosisTest, SomeHalfHoursRejectedForRangeWarnBeforeProcessingFinished) {
    ASSERT_TRUE(samples::WriteRawSample(dir / "a.dat", {.hours = 1.0}));
    std::string text = testing::ReadFile(dir / "a.dat");
    // Every Ts of the second half hour at 60 degrees.
    std::size_t at = text.find("00:30:00.0");
    ASSERT_NE(at, std::string::npos);
    at = text.rfind('\n', at) + 1;
    std::string out = text.substr(0, at);
    for (std::size_t next; at < text.size(); at = next + 1) {
        next = text.find('\n', at);
        std::string line = text.substr(at, next - at + 1);
        std::size_t field = 0;
        for (int comma = 0; comma < 6; ++comma) field = line.find(',', field) + 1;
        line.replace(field, line.find(',', field) - field, "60");
        out += line;
    }
    testing::WriteFile(dir / "a.dat", out);
    EXPECT_TRUE(Run("a.dat"));
    EXPECT_FALSE(port.noFluxes);
    EXPECT_EQ(std::vector<std::string>{"1 half hour rejected by the range limits: "
                                       "Ts: 18000 values above Ts-Max 50 (built-in)"},
              port.warnings);
    EXPECT_EQ("Processing Finished!", port.LastMessage().text);
}

}  // namespace
}  // namespace kelvara
