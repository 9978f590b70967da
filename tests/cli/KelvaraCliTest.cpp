// kelvara-cli run as a script runs it: exit statuses, messages on stderr and
// the files it leaves, compared with the same jobs run in-process.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AppendJob.h"
#include "BatchJob.h"
#include "ProgramRun.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "SingleRunJob.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadFile;
using testing::RecordingPort;
using testing::RunProgram;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KelvaraCliTest : public ::testing::Test {
protected:
    ProgramRun Cli(const std::vector<std::string>& arguments) {
        return RunProgram(KELVARA_CLI_PATH, arguments, dir.path());
    }

    // A raw file of the given length, named inside the test directory.
    std::string Raw(const std::string& name, double hours, std::uint64_t seed,
                    const std::string& start = "2024-06-01 00:00:00") {
        samples::SampleOptions options;
        options.seed = seed;
        options.hours = hours;
        options.start = start;
        options.spikeRate = 0.001;
        const fs::path file = dir / name;
        EXPECT_TRUE(samples::WriteRawSample(file, options));
        return file.string();
    }

    TempDir dir;
    // No machine's own range.ini may leak into a test: the limits are the
    // built-in defaults unless a test names a file.
    ScopedEnv windir{"WINDIR", (dir / "no windows").c_str()};
};

TEST_F(KelvaraCliTest, VersionIsPrinted) {
    const ProgramRun run = Cli({"--version"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "kelvara-cli 1.0.0.1\n");
}

TEST_F(KelvaraCliTest, HelpDocumentsEveryCommandAndOption) {
    const ProgramRun top = Cli({"--help"});
    EXPECT_EQ(top.exitStatus, 0);
    for (const char* part : {"run", "batch", "append", "--quiet", "--version", "--help"}) {
        EXPECT_TRUE(Contains(top.out, part)) << part << "\n" << top.out;
    }
    const ProgramRun run = Cli({"run", "--help"});
    EXPECT_EQ(run.exitStatus, 0);
    for (const char* part : {"FIRST", "--second", "--output", "--planar-fit", "B0 B1 B2", "--range-file", "Exit status"}) {
        EXPECT_TRUE(Contains(run.out, part)) << part << "\n" << run.out;
    }
    const ProgramRun batch = Cli({"batch", "--help"});
    EXPECT_EQ(batch.exitStatus, 0);
    for (const char* part : {"LIST", "--planar-fit", "--range-file"}) {
        EXPECT_TRUE(Contains(batch.out, part)) << part << "\n" << batch.out;
    }
    const ProgramRun append = Cli({"append", "--help"});
    EXPECT_EQ(append.exitStatus, 0);
    for (const char* part : {"--head-lines", "--output", "FILE"}) {
        EXPECT_TRUE(Contains(append.out, part)) << part << "\n" << append.out;
    }
}

TEST_F(KelvaraCliTest, UsageErrorsExitWithTwoAndRunNothing) {
    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"frobnicate"},
        {"run", "raw.dat"},
        {"run", "--output", "out"},
        {"run", "raw.dat", "--output", "out", "--planar-fit", "1", "2"},
        {"run", "raw.dat", "--output", "out", "--bogus"},
        {"batch"},
        {"append", "--output", "out", "a"},
        {"append", "--head-lines", "1", "a"},
        {"append", "--head-lines", "1", "--output", "out"},
        {"append", "--head-lines", "1", "--output", "out", "a", "b", "c", "d", "e", "f", "g"},
    };
    for (const auto& arguments : misuses) {
        const ProgramRun run = Cli(arguments);
        std::string shown;
        for (const auto& argument : arguments) shown += argument + " ";
        EXPECT_EQ(run.exitStatus, 2) << shown << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << shown;
    }
    EXPECT_FALSE(fs::exists(dir / "out.r1w"));
    EXPECT_FALSE(fs::exists(dir / "out.rfw"));
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(KelvaraCliTest, MissingFirstFileFailsWithTheJobsMessage) {
    const ProgramRun run = Cli({"run", "missing.dat", "--output", "out"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "Raw Data File Doesn't Exit!: Can't Open The First Raw Data File!\n"))
        << run.err;
    EXPECT_FALSE(Contains(run.err, "Processing Finished!"));
}

TEST_F(KelvaraCliTest, RangeFileThatCannotBeReadIsAnErrorBeforeAnythingRuns) {
    const std::string raw = Raw("raw.dat", 0.6, 1);
    fs::create_directory(dir / "folder.ini");
    for (const char* rangeFile : {"missing.ini", "folder.ini"}) {
        const ProgramRun run = Cli({"run", raw, "--output", "out", "--range-file", rangeFile});
        EXPECT_EQ(run.exitStatus, 1) << rangeFile;
        EXPECT_TRUE(Contains(run.err, rangeFile)) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out.r1w")) << rangeFile;

        const ProgramRun batch = Cli({"batch", "list.txt", "--range-file", rangeFile});
        EXPECT_EQ(batch.exitStatus, 1) << rangeFile;
        EXPECT_TRUE(Contains(batch.err, rangeFile)) << batch.err;
        EXPECT_FALSE(Contains(batch.err, "Can't Open File!")) << batch.err;
    }
}

TEST_F(KelvaraCliTest, RunWritesWhatTheJobWritesWithoutSecondFileQuestion) {
    const std::string raw = Raw("raw.dat", 1.5, 7);
    const ProgramRun run = Cli({"run", raw, "--output", "cli"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    // Not a terminal: the message alone, no progress drawing.
    EXPECT_EQ(run.err, "Status: Processing Finished!\n");
    ASSERT_TRUE(fs::exists(dir / "cli.r1w"));

    SingleRunInputs inputs;
    inputs.firstFile = raw;
    inputs.outputFile = (dir / "job").string();
    RecordingPort port;
    ASSERT_TRUE(SingleRunJob().Run(inputs, port));
    EXPECT_EQ(ReadFile(dir / "cli.r1w"), ReadFile(dir / "job.r1w"));
    EXPECT_GT(ReadFile(dir / "cli.r1w").size(), 100u);
}

TEST_F(KelvaraCliTest, PlanarFitWithSecondFileWritesWhatTheJobWrites) {
    const std::string first = Raw("first.dat", 1.2, 3, "2024-06-01 00:00:00");
    const std::string second = Raw("second.dat", 1.0, 4, "2024-06-01 01:12:00");
    const ProgramRun run = Cli({"run", first, "--second", second, "--output", "cli", "--planar-fit",
                                "-0.012", "0.05", "-0.5e-2", "--quiet"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_TRUE(fs::exists(dir / "cli.rfw"));
    EXPECT_FALSE(fs::exists(dir / "cli.r1w"));

    SingleRunInputs inputs;
    inputs.firstFile = first;
    inputs.secondFile = second;
    inputs.outputFile = (dir / "job").string();
    inputs.rotationChoice = 1;
    inputs.b0Text = "-0.012";
    inputs.b1Text = "0.05";
    inputs.b2Text = "-0.5e-2";
    RecordingPort port;
    ASSERT_TRUE(SingleRunJob().Run(inputs, port));
    EXPECT_EQ(port.secondFileQuestions, 0);
    EXPECT_EQ(ReadFile(dir / "cli.rfw"), ReadFile(dir / "job.rfw"));
}

TEST_F(KelvaraCliTest, PlaneCoefficientsStartingWithASignAndNoDigitAreTakenAsTyped) {
    // "-.03" and "-inf" are texts the dialog's edits accept; the command line
    // must not take them for options.
    const std::string raw = Raw("raw.dat", 1.2, 3, "2024-06-01 00:00:00");
    ASSERT_EQ(Cli({"run", raw, "--output", "short", "--planar-fit", "0.05", "0.02", "-.03"}).exitStatus, 0);
    ASSERT_EQ(Cli({"run", raw, "--output", "long", "--planar-fit", "0.05", "0.02", "-0.03"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(dir / "short.rfw"), ReadFile(dir / "long.rfw"));
    const ProgramRun infinite = Cli({"run", raw, "--planar-fit", "-inf", "-nan", "-x", "--output", "inf"});
    EXPECT_EQ(infinite.exitStatus, 0) << infinite.err;
    EXPECT_TRUE(fs::exists(dir / "inf.rfw"));
}

TEST_F(KelvaraCliTest, RangeFileOptionReplacesTheDefaultLimits) {
    const std::string raw = Raw("raw.dat", 1.0, 11);
    // No H2O sample can be in range: every block is rejected.
    WriteFile(dir / "strict.ini",
              "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
              "CO2-Min\t0\r\nCO2-Max\t1500\r\nH2O-Min\t100\r\nH2O-Max\t-20\r\n"
              "Ts-Min\t-50\r\nTs-Max\t50\r\nP-Min\t30\r\nP-Max\t150\r\n");
    ASSERT_EQ(Cli({"run", raw, "--output", "strict", "--range-file", "strict.ini"}).exitStatus, 0);
    ASSERT_EQ(Cli({"run", raw, "--output", "default"}).exitStatus, 0);
    EXPECT_NE(ReadFile(dir / "strict.r1w"), ReadFile(dir / "default.r1w"));

    SingleRunInputs inputs;
    inputs.firstFile = raw;
    inputs.outputFile = (dir / "job").string();
    RecordingPort port;
    ASSERT_TRUE(SingleRunJob().Run(inputs, port, dir / "strict.ini"));
    EXPECT_EQ(ReadFile(dir / "strict.r1w"), ReadFile(dir / "job.r1w"));
}

TEST_F(KelvaraCliTest, BatchWritesOneResultsFilePerListedFile) {
    const std::string first = Raw("a.dat", 1.0, 21);
    const std::string second = Raw("b.dat", 1.5, 22);
    WriteFile(dir / "list.txt", first + "\r\n" + second + "\r\n");
    const ProgramRun run = Cli({"batch", "list.txt"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "Status: Processing Finished!\n");
    const std::string cliFirst = ReadFile(first + ".r1w");
    const std::string cliSecond = ReadFile(second + ".r1w");
    EXPECT_FALSE(cliFirst.empty());
    EXPECT_FALSE(cliSecond.empty());

    fs::remove(first + ".r1w");
    fs::remove(second + ".r1w");
    BatchInputs inputs;
    inputs.listFile = (dir / "list.txt").string();
    RecordingPort port;
    ASSERT_TRUE(BatchJob().Run(inputs, port));
    EXPECT_EQ(cliFirst, ReadFile(first + ".r1w"));
    EXPECT_EQ(cliSecond, ReadFile(second + ".r1w"));

    ASSERT_EQ(Cli({"batch", "list.txt", "--planar-fit", "0", "0", "0"}).exitStatus, 0);
    EXPECT_TRUE(fs::exists(first + ".rfw"));
    EXPECT_TRUE(fs::exists(second + ".rfw"));
}

TEST_F(KelvaraCliTest, BatchFailureExitsWithOne) {
    const ProgramRun run = Cli({"batch", "missing-list.txt"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "File Doesn't Exit!: Can't Open File!\n")) << run.err;
}

TEST_F(KelvaraCliTest, AppendJoinsFilesWithEmptySlotsInSlotOrder) {
    WriteFile(dir / "a.txt", "h1\nh2\na\n");
    WriteFile(dir / "b.txt", "h1\nh2\nb\n");
    const ProgramRun run =
        Cli({"append", "--head-lines", "2", "--output", "joined.txt", "", "a.txt", "", "b.txt"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "Status: Processing Finished!\n");
    EXPECT_EQ(ReadFile(dir / "joined.txt"), "h1\r\nh2\r\na\r\nb\r\n");

    // Six slots at most, all usable.
    ASSERT_EQ(Cli({"append", "--head-lines", "0", "-o", "six.txt", "a.txt", "a.txt", "a.txt", "a.txt",
                   "a.txt", "b.txt"})
                  .exitStatus,
              0);
    std::string six;
    for (int i = 0; i < 5; ++i) six += "h1\r\nh2\r\na\r\n";
    EXPECT_EQ(ReadFile(dir / "six.txt"), six + "h1\r\nh2\r\nb\r\n");
}

TEST_F(KelvaraCliTest, AppendFailuresExitWithOneAndShowTheMessage) {
    WriteFile(dir / "a.txt", "h\na\n");
    const ProgramRun missing = Cli({"append", "--head-lines", "1", "--output", "out.txt", "a.txt", "nope.txt"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "Input file can't be opened!: Can't Open Input File!\n");
    EXPECT_FALSE(fs::exists(dir / "out.txt"));

    const ProgramRun noCount = Cli({"append", "--head-lines", "", "--output", "out.txt", "a.txt"});
    EXPECT_EQ(noCount.exitStatus, 1);
    EXPECT_EQ(noCount.err, "Please Input the Number of File Head Lines!: No File Head Lines\n");

    const ProgramRun self = Cli({"append", "--head-lines", "1", "--output", "./a.txt", "a.txt"});
    EXPECT_EQ(self.exitStatus, 1);
    EXPECT_EQ(self.err, "Please choose another output file!: Output File Is An Input File\n");
    EXPECT_EQ(ReadFile(dir / "a.txt"), "h\na\n");
}

TEST_F(KelvaraCliTest, QuietIsAcceptedBeforeAndAfterTheCommand) {
    WriteFile(dir / "a.txt", "h\na\n");
    EXPECT_EQ(Cli({"--quiet", "append", "--head-lines", "1", "-o", "o1.txt", "a.txt"}).exitStatus, 0);
    EXPECT_EQ(Cli({"append", "--head-lines", "1", "-o", "o2.txt", "a.txt", "-q"}).exitStatus, 0);
}

// Progress is drawn only on a terminal; script(1) gives the program one.
class KelvaraCliTerminalTest : public KelvaraCliTest {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) is not installed";
    }
    ProgramRun OnTerminal(const std::vector<std::string>& arguments) {
        std::string command = testing::ShellQuoted(KELVARA_CLI_PATH);
        for (const auto& argument : arguments) {
            command += ' ';
            command += testing::ShellQuoted(argument);
        }
        return RunProgram("script", {"-qec", command, "/dev/null"}, dir.path());
    }
};

TEST_F(KelvaraCliTerminalTest, ProgressBarOnATerminalUnlessQuiet) {
    const std::string raw = Raw("raw.dat", 1.5, 5);
    const ProgramRun shown = OnTerminal({"run", raw, "--output", "out"});
    EXPECT_TRUE(Contains(shown.out, "] ")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "%")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "Status: Processing Finished!")) << shown.out;

    const ProgramRun quiet = OnTerminal({"run", raw, "--output", "out", "--quiet"});
    EXPECT_FALSE(Contains(quiet.out, "] ")) << quiet.out;
    EXPECT_TRUE(Contains(quiet.out, "Status: Processing Finished!")) << quiet.out;
}

TEST_F(KelvaraCliTerminalTest, BatchStatusLineOnATerminal) {
    const std::string raw = Raw("raw.dat", 1.0, 6);
    WriteFile(dir / "list.txt", raw + "\n");
    const ProgramRun shown = OnTerminal({"batch", "list.txt"});
    EXPECT_TRUE(Contains(shown.out, "Processing file")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "Status: Processing Finished!")) << shown.out;

    const ProgramRun quiet = OnTerminal({"batch", "list.txt", "-q"});
    EXPECT_FALSE(Contains(quiet.out, "Processing file")) << quiet.out;
}

}  // namespace
}  // namespace kelvara
