// The planar fit over raw files: a sonic tilted by a known plane is found
// again, the blocks that cannot show the tilt are named, and the rotation
// with the fitted plane flattens it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "TempDir.h"
#include "TiltedSonic.h"
#include "jobs/PlaneFitJob.h"
#include "pipeline/FrameRotation.h"
#include "pipeline/Rotation.h"

namespace kelvara {
namespace {

using testing::RecordingPort;
using testing::TempDir;

class PlaneFitJobTest : public ::testing::Test {
protected:
    std::string Tilted(const char* name, const samples::TiltedSonicOptions& options) {
        EXPECT_TRUE(samples::WriteTiltedSonicSample(dir / name, options));
        return (dir / name).string();
    }

    TempDir dir;
    testing::ScopedEnv windir{"WINDIR", (dir / "no windows").c_str()};
    RecordingPort port;
};

TEST_F(PlaneFitJobTest, FindsTheTiltAndLeavesOutWhatCannotShowIt) {
    const samples::TiltedSonicOptions truth;
    PlaneFitInputs inputs{.files = {Tilted("tilted.dat", truth)}};
    inputs.screen.minRecords = 1000;
    const auto report = RunPlaneFitJob(inputs, port);
    ASSERT_TRUE(report.has_value());
    const PlaneFit& fit = report->fit;
    ASSERT_TRUE(fit.ok) << fit.refusal;
    EXPECT_NEAR(truth.b0, fit.b0, 3 * fit.se_b0);
    EXPECT_NEAR(truth.b1, fit.b1, 3 * fit.se_b1);
    EXPECT_NEAR(truth.b2, fit.b2, 3 * fit.se_b2);
    EXPECT_EQ(truth.keptBlocks, fit.blocksUsed);
    EXPECT_EQ(8u, fit.sectors.size());

    // Exactly the three planted blocks, by the end of their half hours.
    ASSERT_EQ(3u, report->excluded.size());
    EXPECT_EQ("2024-06-01 03:00", report->excluded[0].time);
    EXPECT_TRUE(report->excluded[0].reason.starts_with("calm (speed 0.2"));
    EXPECT_EQ("2024-06-01 06:00", report->excluded[1].time);
    EXPECT_TRUE(report->excluded[1].reason.starts_with("vertical wind (|w| 1.4"));
    EXPECT_EQ("2024-06-01 09:00", report->excluded[2].time);
    EXPECT_EQ("too few records (400 < 1000)", report->excluded[2].reason);
    EXPECT_EQ("percent:100%", port.events.back());
    EXPECT_TRUE(port.messages.empty());

    // The standard methods' planar fit turns records on the fitted plane to
    // W = 0; the default one, whose formula is frozen, to second order in
    // the tilt.
    const PlaneCoefficients plane{static_cast<float>(fit.b0), static_cast<float>(fit.b1), static_cast<float>(fit.b2)};
    BlockMoments moments;
    moments.mean[kU] = 3.0;
    const FrameRotation frame = PlanarFitRotation(moments, plane);
    auto block = testing::Block(16);
    for (int i = 0; i < 16; ++i) {
        const double u = 3 * std::cos(0.4 * i), v = 3 * std::sin(0.4 * i);
        const double wind[3] = {u, v, plane.b0 + plane.b1 * u + plane.b2 * v};
        double w = 0.0;
        for (int k = 0; k < 3; ++k) w += frame.R[2][k] * (wind[k] - frame.d[k]);
        EXPECT_NEAR(0.0, w, 1e-9) << i;
        block->U()[i] = static_cast<float>(wind[0]);
        block->V()[i] = static_cast<float>(wind[1]);
        block->W()[i] = static_cast<float>(wind[2]);
    }
    RotatePlanarFit(*block, plane);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(0.0, block->W()[i], 2e-4) << i;
}

TEST_F(PlaneFitJobTest, TheScreenIsTheUsers) {
    PlaneFitInputs inputs{.files = {Tilted("tilted.dat", {})}};
    // The default screen wants half a 10 Hz half hour of records: none here.
    auto report = RunPlaneFitJob(inputs, port);
    ASSERT_TRUE(report.has_value());
    EXPECT_FALSE(report->fit.ok);
    EXPECT_EQ(27u, report->excluded.size());
    EXPECT_EQ("only 0 blocks kept, at least 6 are needed: fit over a longer period", report->fit.refusal);

    // A looser screen keeps the fault and the gap, which drag the plane away.
    inputs.screen = {.minRecords = 100, .uMin = 0.1, .wMax = 2.0};
    report = RunPlaneFitJob(inputs, port);
    ASSERT_TRUE(report.has_value() && report->fit.ok);
    EXPECT_TRUE(report->excluded.empty());
    EXPECT_EQ(27, report->fit.blocksUsed);
    EXPECT_GT(report->fit.rmsResidual, 0.2);
}

TEST_F(PlaneFitJobTest, FilesAndListsTogether) {
    const std::string a = Tilted("a.dat", {.keptBlocks = 15, .seed = 2});
    const std::string b = Tilted("b.dat", {.keptBlocks = 15, .seed = 3});
    testing::WriteFile(dir / "list.txt", b + "\r\n");
    PlaneFitInputs inputs{.files = {a}, .listFile = (dir / "list.txt").string()};
    inputs.screen.minRecords = 1000;
    const auto report = RunPlaneFitJob(inputs, port);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(30, report->fit.blocksUsed);
    EXPECT_EQ(6u, report->excluded.size());
}

TEST_F(PlaneFitJobTest, InputsThatCannotBeRead) {
    const struct {
        PlaneFitInputs inputs;
        const char* title;
    } cases[] = {
        {{}, "Please Input the File!"},
        {{.files = {(dir / "gone.dat").string()}}, "Raw Data File Doesn't Exit!"},
        {{.files = {""}}, "Raw Data File Doesn't Exit!"},
        {{.files = {dir.path().string()}}, "Raw Data File Doesn't Exit!"},
        {{.listFile = (dir / "gone.txt").string()}, "File Doesn't Exit!"},
    };
    for (const auto& [inputs, title] : cases) {
        port.messages.clear();
        EXPECT_FALSE(RunPlaneFitJob(inputs, port).has_value()) << title;
        ASSERT_EQ(1u, port.messages.size()) << title;
        EXPECT_EQ(title, port.messages[0].title);
    }
    // A file too short for the screen is a refusal, not an error.
    ASSERT_TRUE(samples::WriteRawSample(dir / "short.dat", {.hours = 2.0}));
    const auto report = RunPlaneFitJob({.files = {(dir / "short.dat").string()}}, port);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ("only 4 blocks kept, at least 6 are needed: fit over a longer period", report->fit.refusal);
}

}  // namespace
}  // namespace kelvara
