// kelvara-cli run as a script runs it: exit statuses, messages on stderr and
// the files it leaves, compared with the same jobs run in-process.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "GzipText.h"
#include "ProgramRun.h"
#include "RecordingPort.h"
#include "SampleGenerator.h"
#include "SmallTmpfs.h"
#include "TempDir.h"
#include "TiltedSonic.h"
#include "Version.h"
#include "io/ResultsFile.h"
#include "jobs/BatchJob.h"
#include "jobs/PlaneFitJob.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Args = std::vector<std::string>;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A logger file with a record number after the time stamp: every value moves
// one field on, so the pressure lands in the status and each record is dropped.
std::string WithRecordNumbers(const std::string& raw) {
    std::istringstream lines(raw);
    std::string line, out;
    for (int number = -3; std::getline(lines, line); ++number) {
        if (number > 0) line.insert(line.find(',') + 1, std::to_string(number) + ",");
        out += line + "\n";
    }
    return out;
}

class KelvaraCliTest : public ::testing::Test {
protected:
    ProgramRun Cli(const Args& arguments) { return RunProgram(KELVARA_CLI_PATH, arguments, dir.path()); }
    // With standard input read from the file.
    ProgramRun Cli(const Args& arguments, const std::string& input) {
        return RunProgram(KELVARA_CLI_PATH, arguments, dir.path(), dir / input);
    }

    // A raw file of the given length, named inside the test directory.
    std::string Raw(const char* name, double hours, std::uint64_t seed, const char* start = "2024-06-01 00:00:00") {
        // 10 Hz, CR LF line ends, a few spikes.
        EXPECT_TRUE(samples::WriteRawSample(dir / name, {seed, start, hours, 10, true, 1e-3}));
        return (dir / name).string();
    }

    TempDir dir;
    // No machine's own range.ini may leak into a test: the limits are the
    // built-in defaults unless a test names a file.
    ScopedEnv windir{"WINDIR", (dir / "no windows").c_str()};
};

TEST_F(KelvaraCliTest, ExitStatusAndWhatIsShown) {
    WriteFile(dir / "a.txt", "h\na\n");
    WriteFile(dir / "gone-list.txt", "gone.dat\r\n");
    fs::create_directory(dir / "folder.ini");
    const std::string kSubcommands =
        "kelvara-cli: subcommands: run, batch, planefit, plot, range, site, append; see kelvara-cli";
    const std::string raw = Raw("raw.dat", 0.6, 1);
    const struct {
        Args arguments;
        int exitStatus;
        Args shown;
    } cases[] = {
        // shown: on stdout or stderr
        {{"--version"}, 0, {"kelvara-cli " KELVARA_VERSION "\n"}},
        {{"--help"}, 0, {"run", "batch", "append", "--quiet", "--version"}},
        {{"run", "--help"}, 0, {"FILE", "standard input", "--second", "--output", "--planar-fit", "--range-file"}},
        {{"batch", "--help"}, 0, {"LIST", "--planar-fit", "--range-file"}},
        {{"append", "--help"}, 0, {"--head-lines", "--output", "FILE"}},
        {{"planefit", "--help"}, 0, {"--list", "--min-records", "--u-min", "--w-max", "--range-file", "--json"}},
        // Usage errors run nothing; they name what was typed and the subcommands.
        {{}, 2, {"kelvara-cli: no subcommand given\n", kSubcommands}},
        {{"frobnicate"}, 2, {"kelvara-cli: unknown subcommand 'frobnicate'\n", kSubcommands}},
        {{"--frob", "run", raw, "-o", "bad"}, 2, {"unknown option '--frob'", kSubcommands}},
        {{"run", raw, "-o", "bad", "--frob"}, 2, {"kelvara-cli run: unknown option '--frob'\n", kSubcommands}},
        {{"run", raw}, 2, {"kelvara-cli run: --output is required\n", kSubcommands}},
        {{"run", raw, "-o", "bad", "extra"},
         2,
         {"kelvara-cli run: unexpected argument 'extra' (one raw file", kSubcommands}},
        {{"batch"}, 2, {"kelvara-cli batch: LIST is required\n", kSubcommands}},
        {{"run", raw, "-o", "bad", "--planar-fit", "1", "2"}, 2, {"--planar-fit", kSubcommands}},
        {{"append", "-o", "bad", "a.txt"}, 2, {"--head-lines", kSubcommands}},
        {{"append", "--head-lines", "1", "-o", "bad", "a", "b", "c", "d", "e", "f", "g"}, 2, {kSubcommands}},
        // A coefficient left out: the program's own options are not coefficients.
        {{"run", raw, "-o", "bad", "--planar-fit", "--second", raw, "1"}, 2, {"not the option --second\n"}},
        {{"run", raw, "--planar-fit", "1", "2", "-o", "bad"}, 2, {"not the option -o\n"}},
        {{"run", raw, "-o", "bad", "--planar-fit", "1", "2", "-q"}, 2, {"not the option -q\n"}},
        {{"batch", "a.txt", "--planar-fit", "1", "--range-file=x.ini", "2"}, 2, {"batch: --planar-fit", "-file=x"}},
        {{"run", raw, "-o", "bad", "--planar-fit", "1", "2", "--help"}, 2, {"not the option --help\n"}},
        {{"run", raw, "-o", "bad", "--planar-fit", "auto", "--planar-fit", "1", "2", "3"}, 2, {"either 'auto' or"}},
        {{"run", raw, "--second", raw, "-o", "bad", "--standard"}, 2, {"--second: is not used with --standard"}},
        {{"planefit"}, 2, {"give raw data files, --list LIST, or both", kSubcommands}},
        {{"planefit", raw, "--u-min", "-1"}, 2, {"--u-min", kSubcommands}},
        // A plane the data cannot determine: no run starts with it.
        {{"run", raw, "-o", "bad", "--planar-fit", "auto"}, 1, {"kelvara-cli: planar fit refused: only 1 blocks"}},
        {{"planefit", "gone.dat"},
         1,
         {"Can't Open Raw Data File!\nkelvara-cli: gone.dat: No such file or directory\n"}},
        // The job's own failures keep their message and add the Unix tool's line.
        {{"run", "no.dat", "-o", "out"},
         1,
         {"Raw Data File Doesn't Exit!: Can't Open The First Raw Data File!\n"
          "kelvara-cli: no.dat: No such file or directory\n"}},
        {{"run", raw, "--second", "gone.dat", "-o", "out"},
         1,
         {"Can't Open The Second Raw Data File!\nkelvara-cli: gone.dat: No such file or directory\n"}},
        {{"run", raw, "-o", "no folder/bad"},
         1,
         {"Can't Open Output File\nkelvara-cli: no folder/bad.r1w: No such file or directory\n"}},
        {{"batch", "missing-list.txt"},
         1,
         {"File Doesn't Exit!: Can't Open File!\nkelvara-cli: missing-list.txt: No such file or directory\n"}},
        {{"batch", "gone-list.txt"},
         1,
         {"Can't Open Raw Data File!\nkelvara-cli: gone.dat: No such file or directory\n"}},
        {{"append", "--head-lines", "1", "-o", "o.txt", "a.txt", "no.txt"},
         1,
         {"Input file can't be opened!: Can't Open Input File!\nkelvara-cli: no.txt: No such file or directory\n"}},
        {{"append", "--head-lines", "1", "-o", "no folder/o.txt", "a.txt"},
         1,
         {"Can't Open Output File\nkelvara-cli: no folder/o.txt: No such file or directory\n"}},
        {{"append", "--head-lines", "1", "-o", "/dev/full", "a.txt"}, 1, {"\nkelvara-cli: /dev/full: "}},
        // Range files that cannot be read: no job starts.
        {{"run", raw, "-o", "bad", "--range-file", "missing.ini"},
         1,
         {"kelvara-cli: missing.ini: No such file or directory\n"}},
        {{"run", raw, "-o", "bad", "--range-file", "folder.ini"}, 1, {"kelvara-cli: folder.ini: Is a directory\n"}},
        {{"batch", "missing-list.txt", "--range-file", "folder.ini"}, 1, {"kelvara-cli: folder.ini: Is a directory\n"}},
    };
    for (const auto& [arguments, exitStatus, shown] : cases) {
        const ProgramRun run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, exitStatus) << arguments.size() << " arguments\n" << run.err;
        EXPECT_EQ(run.err.empty(), exitStatus == 0) << run.err;
        for (const std::string& part : shown) {
            EXPECT_TRUE(Contains(run.out + run.err, part)) << part << "\n" << run.out << run.err;
        }
    }
    for (const char* made : {"bad", "bad.r1w", "bad.rfw", "bad.png", "bad.gif"}) {
        EXPECT_FALSE(fs::exists(dir / made)) << made;
    }
}

TEST_F(KelvaraCliTest, RunWritesWhatTheJobWrites) {
    const std::string first = Raw("first.dat", 1.2, 3), second = Raw("second.dat", 1.0, 4, "2024-06-01 01:12:00");
    // No H2O sample can be in range: every block is rejected.
    std::string strict = ReadFile(fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini");
    WriteFile(dir / "strict.ini", strict.replace(strict.find("H2O-Min\t-20"), 11, "H2O-Min\t100"));
    const struct {
        Args options;
        RunInputs inputs;
        std::optional<fs::path> rangeFile;
        bool fluxes;
    } cases[] = {
        {{}, {.files = {first}}, std::nullopt, true},
        {{"--second", second, "--planar-fit", "-0.012", "0.05", "-0.5e-2"},
         {.files = {first, second}, .rotation = {Rotation::PlanarFit, "-0.012", "0.05", "-0.5e-2"}},
         std::nullopt,
         true},
        // A coefficient with a sign and no leading digit is a value, not an option; so is "-inf".
        {{"--planar-fit", "0.05", "0.02", "-.03"},
         {.files = {first}, .rotation = {Rotation::PlanarFit, "0.05", "0.02", "-.03"}},
         std::nullopt,
         true},
        {{"--planar-fit", "-inf", "-0", "-1e-3"},
         {.files = {first}, .rotation = {Rotation::PlanarFit, "-inf", "-0", "-1e-3"}},
         std::nullopt,
         true},
        {{"--range-file", "strict.ini"}, {.files = {first}}, dir / "strict.ini", false},
    };
    for (auto [options, inputs, rangeFile, fluxes] : cases) {
        Args arguments = {"run", first, "--output", "cli"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ProgramRun run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, fluxes ? 0 : 3) << run.err;
        // Not a terminal: the message and the summary, no progress drawing;
        // no "Processing Finished!" for results without fluxes.
        EXPECT_EQ(run.err.starts_with("Status: Processing Finished!\nSummary: "), fluxes) << run.err;
        EXPECT_EQ(LineCount(run.err), fluxes ? 2u : 3u) << run.err;

        inputs.outputFile = (dir / "job").string();
        RecordingPort port;
        ASSERT_TRUE(RunJob().Run(inputs, port, rangeFile));
        const std::string suffix(ResultsSuffix(inputs.rotation.rotation));
        EXPECT_EQ(ReadFile(dir / ("cli" + suffix)), ReadFile(dir / ("job" + suffix))) << arguments.back();
        fs::remove(dir / ("cli" + suffix));
    }
}

TEST_F(KelvaraCliTest, BatchOnSeveralThreadsKeepsGoingIntoAFolderAndTakesItsShare) {
    const std::string a = Raw("a.dat", 1.0, 41);
    Raw("b.dat", 0.7, 42);
    Raw("c.dat", 1.2, 43);
    WriteFile(dir / "list.txt", "a.dat\nmissing.dat\nb.dat\nc.dat\n");
    fs::create_directory(dir / "out");
    const ProgramRun run = Cli({"batch", "list.txt", "--jobs", "2", "--keep-going", "--output-dir", "out"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_EQ(run.err,
              "Raw Data File Doesn't Exit!: Can't Open Raw Data File!\n"
              "kelvara-cli: missing.dat: No such file or directory\n"
              "kelvara-cli: batch: 3 files done, 1 failed: missing.dat\n");
    WriteFile(dir / "good.txt", "a.dat\nb.dat\nc.dat\n");
    for (const char* name : {"a.dat.r1w", "b.dat.r1w", "c.dat.r1w"}) {
        EXPECT_NE(ReadFile(dir / "out" / name).find("\r\n2024-06-01 0:30,"), std::string::npos) << name;
    }

    // Usage errors, found before anything runs.
    fs::create_directory(dir / "sub");
    fs::copy_file(a, dir / "sub" / "a.dat");
    WriteFile(dir / "same.txt", "a.dat\nsub/a.dat\n");
    const struct {
        Args arguments;
        std::string shown;
    } usage[] = {
        {{"batch", "same.txt", "--output-dir", "sub"},
         "--output-dir: a.dat and sub/a.dat would both write sub/a.dat.r1w"},
        {{"batch", "good.txt", "--shard", "3/3"}, "--shard: takes K/N with 0 <= K < N, not 3/3"},
        {{"batch", "good.txt", "--shard", "1/2x"}, "--shard"},
        {{"batch", "good.txt", "--jobs", "0"}, "--jobs"},
    };
    for (const auto& [arguments, shown] : usage) {
        const ProgramRun refused = Cli(arguments);
        EXPECT_EQ(refused.exitStatus, 2) << arguments.back();
        EXPECT_TRUE(Contains(refused.err, shown)) << refused.err;
    }
    EXPECT_FALSE(fs::exists(dir / "sub" / "a.dat.r1w"));

    // An output folder that is not there is made, as mkdir -p makes it.
    EXPECT_EQ(Cli({"batch", "good.txt", "-q", "--output-dir", "new/folder"}).exitStatus, 0);
    EXPECT_TRUE(fs::exists(dir / "new" / "folder" / "c.dat.r1w"));

    // More shards than names: this one has nothing to do, which is no failure.
    const ProgramRun idle = Cli({"batch", "good.txt", "--shard", "3/4", "--output-dir", "out"});
    EXPECT_EQ(idle.exitStatus, 0) << idle.err;
    EXPECT_EQ(idle.err, "Status: Processing Finished!\n");
}

// A run that read its files but wrote no fluxes is no success for a script:
// after the finished message, one warning line naming the likely cause.
TEST_F(KelvaraCliTest, RunOrBatchWithoutFluxesWarnsAndExitsThree) {
    const std::string good = Raw("good.dat", 1.0, 31);
    WriteFile(dir / "numbered.dat", WithRecordNumbers(ReadFile(Raw("plain.dat", 1.0, 32))));
    WriteFile(dir / "numbered.txt", "numbered.dat\r\n");
    WriteFile(dir / "mixed.txt", "numbered.dat\r\n" + good + "\r\n");
    const std::string goodText = ReadFile(good);
    WriteFile(dir / "headers.dat", goodText.substr(0, goodText.find("\n\"2024") + 1));
    std::string strict = ReadFile(fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini");
    WriteFile(dir / "strict.ini", strict.replace(strict.find("H2O-Min\t-20"), 11, "H2O-Min\t100"));
    const std::string noHalfHour = "kelvara-cli: warning: no fluxes computed: no half hour had 5 usable records; ";
    const struct {
        Args arguments;
        int exitStatus;
        Args warned;
    } cases[] = {
        {{"run", "numbered.dat", "-o", "n"},
         3,
         {noHalfHour, "36000 records read: 36000 dropped for a status outside 0-13", "status the last field"}},
        {{"batch", "numbered.txt"}, 3, {noHalfHour, "36000 records read: 36000 dropped"}},
        {{"run", "headers.dat", "-o", "h"}, 3, {"kelvara-cli: warning: no fluxes computed: no records"}},
        {{"run", good, "-o", "s", "--range-file", "strict.ini"},
         3,
         {"kelvara-cli: warning: no fluxes computed: every half hour was rejected; 36000 records read: ",
          "values out of range\nkelvara-cli: warning: H2O: 36000 values below H2O-Min 100 (strict.ini)\n"}},
        // One file with fluxes is enough.
        {{"batch", "mixed.txt"}, 0, {}},
    };
    for (const auto& [arguments, exitStatus, warned] : cases) {
        for (const bool quiet : {false, true}) {
            Args withQuiet = arguments;
            if (quiet) withQuiet.push_back("--quiet");
            const ProgramRun run = Cli(withQuiet);
            EXPECT_EQ(run.exitStatus, exitStatus) << arguments[1] << "\n" << run.err;
            // "Processing Finished!" only for results with fluxes; the
            // summary unless quiet; quiet never leaves out a warning.
            EXPECT_EQ(Contains(run.err, "Status: Processing Finished!\n"), !quiet && warned.empty()) << run.err;
            EXPECT_EQ(Contains(run.err, "Summary: "), !quiet) << run.err;
            const std::size_t at = run.err.find("kelvara-cli: warning:");
            const std::string warning = at == std::string::npos ? "" : run.err.substr(at);
            for (const std::string& part : warned) EXPECT_TRUE(Contains(warning, part)) << part << "\n" << warning;
        }
    }
}

TEST_F(KelvaraCliTest, CompressedFilesAndStandardInputReadAsTheFilesTheyHold) {
    Raw("a.dat", 1.3, 21);
    WriteFile(dir / "a.dat.gz", testing::Gzipped(ReadFile(dir / "a.dat")));
    WriteFile(dir / "list.txt", "a.dat.gz\n");
    // The copy of standard input goes to the temporary folder, and goes again.
    ScopedEnv temporary{"TMPDIR", (dir / "tmp").c_str()};
    fs::create_directory(dir / "tmp");
    for (const char* standard : {"", "--standard"}) {
        const std::string suffix = *standard != 0 ? ".s1w" : ".r1w";
        Args plain{"-q", "run", "a.dat", "-o", "plain"}, packed{"-q", "run", "a.dat.gz", "-o", "packed"},
            piped{"-q", "run", "-", "-o", "piped"};
        for (Args* arguments : {&plain, &packed, &piped}) {
            if (*standard != 0) arguments->push_back(standard);
        }
        ASSERT_EQ(Cli(plain).exitStatus, 0);
        const std::string expected = ReadFile(dir / ("plain" + suffix));
        EXPECT_EQ(Cli(packed).err, "");
        EXPECT_EQ(ReadFile(dir / ("packed" + suffix)), expected);
        for (const char* input : {"a.dat", "a.dat.gz"}) {
            fs::remove(dir / ("piped" + suffix));
            EXPECT_EQ(Cli(piped, input).err, "") << input;
            EXPECT_EQ(ReadFile(dir / ("piped" + suffix)), expected) << input;
        }
        EXPECT_TRUE(fs::is_empty(dir / "tmp"));
        Args batch{"-q", "batch", "list.txt"};
        if (*standard != 0) batch.push_back(standard);
        EXPECT_EQ(Cli(batch).exitStatus, 0);
        EXPECT_EQ(ReadFile(dir / ("a.dat.gz" + suffix)), expected);
    }

    // A message about standard input names it as the user did.
    std::string text = samples::MakeRawSample({.hours = 0.6, .table = true});
    WriteFile(dir / "ppm.dat", text.replace(text.find("mg/m^3"), 6, "ppm"));
    ProgramRun run = Cli({"run", "-", "-o", "ppm"}, "ppm.dat");
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(run.err.starts_with("Input Columns Don't Match!: -: the column \"co2\" (CO2) has the unit")) << run.err;
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    run = Cli({"run", "-", "-", "-o", "twice", "--standard"}, "a.dat");
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kelvara-cli: -: standard input can be read only once\n");

    // A cut archive is a read failure of that file, not a short day.
    const std::string packedText = ReadFile(dir / "a.dat.gz");
    WriteFile(dir / "cut.dat.gz", packedText.substr(0, packedText.size() / 2));
    run = Cli({"run", "cut.dat.gz", "-o", "cut"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "kelvara-cli: cut.dat.gz: the gzip-compressed data is damaged or cut short\n"))
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "cut.r1w"));
}

TEST_F(KelvaraCliTest, LoggerTablesByColumnMapWithTheMapPrinted) {
    samples::SampleOptions options{.seed = 41, .hours = 1.0};
    ASSERT_TRUE(samples::WriteRawSample(dir / "plain.dat", options));
    options.table = true;
    options.extraColumns = 2;
    ASSERT_TRUE(samples::WriteRawSample(dir / "table.dat", options));
    WriteFile(dir / "list.txt", "table.dat\n");
    ASSERT_EQ(Cli({"run", "plain.dat", "-o", "plain"}).exitStatus, 0);
    const std::string expected = ReadFile(dir / "plain.r1w");

    // Without a map the header's names read the table, and say so; the
    // default-layout file reads by position without a word.
    ProgramRun run = Cli({"run", "table.dat", "-o", "detected"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("kelvara-cli: table.dat: columns: time=TIMESTAMP (column 1), U=Ux (column 3), "))
        << run.err;
    EXPECT_EQ(ReadFile(dir / "detected.r1w"), expected);
    EXPECT_EQ(Cli({"-q", "run", "plain.dat", "-o", "plain-detected", "--columns", "detect"}).err, "");
    EXPECT_EQ(ReadFile(dir / "plain-detected.r1w"), expected);
    EXPECT_EQ(Cli({"batch", "list.txt"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(dir / "table.dat.r1w"), expected);
    fs::remove(dir / "table.dat.r1w");

    // Positions forced: the table gives no fluxes, and the warning says what to try.
    run = Cli({"run", "table.dat", "-o", "unmapped", "--columns", "default"});
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_TRUE(Contains(run.err, "the header names a record-number column: try --columns auto")) << run.err;

    run = Cli({"run", "table.dat", "-o", "auto", "--columns", "auto", "--good-status", "0-13"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("kelvara-cli: table.dat: columns: time=TIMESTAMP (column 1), U=Ux (column 3), "))
        << run.err;
    EXPECT_EQ(ReadFile(dir / "auto.r1w"), expected);
    EXPECT_EQ(
        Cli({"-q", "run", "table.dat", "-o", "map", "--columns", "U=3,V=4,W=5,CO2=6,H2O=7,Ts=8,P=9,status=diag_sonic"})
            .err,
        "");
    EXPECT_EQ(ReadFile(dir / "map.r1w"), expected);
    run = Cli({"batch", "list.txt", "--columns", "auto"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadFile(dir / "table.dat.r1w"), expected);

    // A unit the map cannot convert is a failure; --no-unit-check takes it.
    std::string text = ReadFile(dir / "table.dat");
    WriteFile(dir / "ppm.dat", text.replace(text.find("mg/m^3"), 6, "ppm"));
    run = Cli({"run", "ppm.dat", "-o", "ppm"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err,
              "Input Columns Don't Match!: ppm.dat: the column \"co2\" (CO2) has the unit \"ppm\"; expected "
              "mg/m^3 (or give --no-unit-check)\n");
    EXPECT_FALSE(fs::exists(dir / "ppm.r1w"));
    EXPECT_EQ(Cli({"run", "ppm.dat", "-o", "ppm", "--columns", "auto", "--no-unit-check"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(dir / "ppm.r1w"), expected);

    // Texts that do not read are usage errors.
    for (const Args& wrong : {Args{"--columns", "U=1"}, Args{"--good-status", "0-"}, Args{"--columns", "x"}}) {
        Args arguments{"run", "table.dat", "-o", "bad"};
        arguments.insert(arguments.end(), wrong.begin(), wrong.end());
        run = Cli(arguments);
        EXPECT_EQ(run.exitStatus, 2) << wrong[1];
        EXPECT_TRUE(Contains(run.err, wrong[0])) << run.err;
    }
}

TEST_F(KelvaraCliTest, AppendTakesEmptySlotsAndQuietAnywhere) {
    WriteFile(dir / "a.txt", "h1\nh2\na\n");
    const ProgramRun run = Cli({"append", "--head-lines", "2", "--output", "j.txt", "", "a.txt", "", "", "", "a.txt"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "Status: Processing Finished!\n");
    EXPECT_EQ(ReadFile(dir / "j.txt"), "h1\r\nh2\r\na\r\na\r\n");
    // Quiet is silent on success and still tells a failure.
    for (const Args& arguments :
         {Args{"--quiet", "append", "--head-lines", "1", "-o", "q1.txt", "a.txt"},
          Args{"append", "--head-lines", "1", "-o", "q2.txt", "a.txt", "-q"},
          Args{"-q", "run", Raw("raw.dat", 0.6, 7), "-o", "q3"}, Args{"-q", "batch", "list.txt"}}) {
        if (arguments[1] == "batch") WriteFile(dir / "list.txt", "raw.dat\r\n");
        const ProgramRun quiet = Cli(arguments);
        EXPECT_EQ(quiet.exitStatus, 0) << arguments[1];
        EXPECT_EQ(quiet.err, "") << arguments[1];
    }
    const ProgramRun failed = Cli({"-q", "append", "--head-lines", "1", "-o", "q4.txt", "no.txt"});
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_EQ(failed.err,
              "Input file can't be opened!: Can't Open Input File!\nkelvara-cli: no.txt: No such file or directory\n");
}

// On a terminal the run draws a bar of the bytes read, which ends full at
// 100%; quiet, it shows nothing at all on success.
TEST_F(KelvaraCliTest, ProgressBarOnATerminalUnlessQuiet) {
    if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) gives the program a terminal; not installed";
    // 1.5 hours: three half hours against an estimate of two from the file's size.
    const std::string command = ShellCommand(KELVARA_CLI_PATH, {"run", Raw("raw.dat", 1.5, 5), "--output", "out"});
    for (const std::string quiet : {"", " --quiet"}) {
        const ProgramRun run = RunProgram("script", {"-qec", command + quiet, "/dev/null"}, dir.path());
        if (!quiet.empty()) {
            EXPECT_EQ(run.out, "");
            continue;
        }
        // Each drawing: "[" 40 marks "] " digits "%".
        std::vector<int> percents;
        for (std::size_t at = run.out.find('['); at != std::string::npos; at = run.out.find('[', at + 1)) {
            const std::string bar = run.out.substr(at + 1, 40);
            if (bar.size() < 40 || bar.find_first_not_of("# ") != std::string::npos) continue;
            if (run.out.compare(at + 41, 2, "] ") != 0) continue;
            percents.push_back(std::atoi(run.out.c_str() + at + 43));
            EXPECT_EQ(bar.find(' ') == std::string::npos, percents.back() == 100) << bar;
        }
        ASSERT_GE(percents.size(), 2u) << run.out;
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << run.out;
        EXPECT_EQ(percents.front(), 0);
        EXPECT_EQ(percents.back(), 100) << run.out;
        EXPECT_TRUE(Contains(run.out, "%\r\nStatus: Processing Finished!\r\n")) << run.out;
    }
}

// After the finished message on a terminal: what became of the half hours
// and the records. Never in a log, never when quiet.
TEST_F(KelvaraCliTest, SummaryOnATerminalUnlessQuiet) {
    if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) gives the program a terminal; not installed";
    Raw("raw.dat", 1.5, 5);
    WriteFile(dir / "numbered.dat", WithRecordNumbers(ReadFile(Raw("plain.dat", 0.5, 6))));
    WriteFile(dir / "list.txt", "numbered.dat\r\nraw.dat\r\n");
    // Half an hour, then three records after a logger restart: a short half hour.
    std::istringstream later(ReadFile(Raw("later.dat", 0.1, 7, "2024-06-01 02:00:00")));
    std::string restart = ReadFile(Raw("early.dat", 0.5, 8)), line;
    for (int number = 1; number <= 4 + 3 && std::getline(later, line); ++number) {
        if (number > 4) restart += line + "\n";
    }
    WriteFile(dir / "restart.dat", restart);
    std::string strict = ReadFile(fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini");
    WriteFile(dir / "strict.ini", strict.replace(strict.find("H2O-Min\t-20"), 11, "H2O-Min\t100"));
    const struct {
        Args arguments;
        std::string shown;
    } cases[] = {
        {{"run", "raw.dat", "-o", "r"},
         "Status: Processing Finished!\r\n"
         "Summary: 3 half hours written (0 rejected), 0 short ones skipped; 54000 records read, 0 dropped\r\n"},
        {{"batch", "list.txt"},
         "Status: Processing Finished!\r\n"
         "Summary: 3 half hours written (0 rejected), 0 short ones skipped; 72000 records read, 18000 dropped\r\n"},
        {{"run", "restart.dat", "-o", "r"},
         "Status: Processing Finished!\r\n"
         "Summary: 1 half hour written (0 rejected), 1 short one skipped; 18003 records read, 3 dropped\r\n"},
        {{"run", "raw.dat", "-o", "r", "--range-file", "strict.ini"},
         "Summary: 3 half hours written (3 rejected), 0 short ones skipped; 54000 records read, 0 dropped\r\n"
         "kelvara-cli: warning: no fluxes computed: every half hour was rejected"},
    };
    for (const auto& [arguments, shown] : cases) {
        for (const std::string quiet : {"", " --quiet"}) {
            const std::string command = ShellCommand(KELVARA_CLI_PATH, arguments) + quiet;
            const ProgramRun run = RunProgram("script", {"-qec", command, "/dev/null"}, dir.path());
            EXPECT_EQ(Contains(run.out, shown), quiet.empty()) << run.out;
            EXPECT_EQ(Contains(run.out, "Summary:"), quiet.empty()) << run.out;
        }
        // Not on a terminal (a log) as well.
        EXPECT_TRUE(Contains(Cli(arguments).err, "Summary:")) << arguments[1];
    }
}

TEST_F(KelvaraCliTest, PlaneFitForPeopleAndPrograms) {
    ASSERT_TRUE(samples::WriteTiltedSonicSample(dir / "tilted.dat", {}));
    const ProgramRun json = Cli({"planefit", "tilted.dat", "--min-records", "1000", "--json"});
    EXPECT_EQ(json.exitStatus, 0) << json.err;
    EXPECT_TRUE(json.out.starts_with("{\"ok\":true,\"b0\":0.02")) << json.out;
    for (const char* part :
         {"\"sectors\":[0,1,2,3,4,5,6,7],\"sector_convention\":{\"axes\":\"sonic\",\"direction\":\"atan2(v, u), "
          "where the air moves toward, from +u toward +v\",\"width_deg\":45},\"blocks_used\":24,\"excluded\":[{"
          "\"time\":\"2024-06-01 03:00\"",
          "\"too few records (400 < 1000)\"}]}\n"}) {
        EXPECT_TRUE(Contains(json.out, part)) << part << "\n" << json.out;
    }

    // The text gives a line to paste into a run.
    const ProgramRun text = Cli({"planefit", "tilted.dat", "--min-records", "1000"});
    EXPECT_EQ(text.exitStatus, 0) << text.err;
    const std::size_t paste = text.out.find("\n--planar-fit ");
    ASSERT_NE(paste, std::string::npos) << text.out;
    std::istringstream line(text.out.substr(paste + 14, text.out.find('\n', paste + 1) - paste - 14));
    Args run = {"run", "tilted.dat", "-o", "pasted", "--planar-fit"};
    for (std::string b; line >> b;) run.push_back(b);
    ASSERT_EQ(run.size(), 8u) << text.out;
    EXPECT_EQ(Cli(run).exitStatus, 0);
    EXPECT_TRUE(Contains(text.out, "  2024-06-01 06:00  vertical wind (|w| 1.4")) << text.out;
    EXPECT_TRUE(Contains(text.out,
                         "wind sectors (deg): 0-45 45-90 90-135 135-180 180-225 225-270 270-315 315-360\n"
                         "  in the sonic's own axes: direction atan2(v, u), where the air moves toward, from +u toward "
                         "+v; 45-degree sectors\n"))
        << text.out;

    // Refused: every key still there, the fit's values null, the reason said.
    const ProgramRun refused = Cli({"planefit", "tilted.dat", "--json"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(refused.out.starts_with("{\"ok\":false,\"b0\":null,\"b1\":null,")) << refused.out;
    EXPECT_TRUE(Contains(refused.out, "\"reason\":\"only 0 blocks kept")) << refused.out;
    EXPECT_EQ(refused.err,
              "kelvara-cli: planar fit refused: only 0 blocks kept, at least 6 are needed: fit over a "
              "longer period\n");
}

TEST_F(KelvaraCliTest, AnAutomaticPlaneIsTheFittedOneRoundedOnce) {
    const std::string raw = Raw("four.dat", 4.0, 3);
    RecordingPort port;
    const auto report = RunPlaneFitJob({.files = {raw}}, port);
    ASSERT_TRUE(report && report->fit.ok);
    char texts[3][32];
    const double b[] = {report->fit.b0, report->fit.b1, report->fit.b2};
    for (int i = 0; i < 3; ++i) std::snprintf(texts[i], sizeof texts[i], "%.17g", b[i]);
    const RotationInputs fitted{Rotation::PlanarFit, texts[0], texts[1], texts[2]};

    const ProgramRun run = Cli({"run", raw, "-o", "auto", "--planar-fit", "auto"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("Planar Fit: --planar-fit 0.00")) << run.err;
    ASSERT_TRUE(RunJob().Run({.files = {raw}, .outputFile = (dir / "job").string(), .rotation = fitted}, port));
    EXPECT_EQ(ReadFile(dir / "job.rfw"), ReadFile(dir / "auto.rfw"));

    WriteFile(dir / "list.txt", raw + "\n");
    EXPECT_EQ(Cli({"batch", "list.txt", "--standard", "--planar-fit", "auto", "-q"}).exitStatus, 0);
    ASSERT_TRUE(RunJob().Run(
        {.methods = Methods::Standard, .files = {raw}, .outputFile = (dir / "job").string(), .rotation = fitted},
        port));
    EXPECT_EQ(ReadFile(dir / "job.sfw"), ReadFile(raw + ".sfw"));
}

TEST_F(KelvaraCliTest, PlotDrawsResultsFilesTogether) {
    const std::string first = Raw("a.dat", 2.0, 5), second = Raw("b.dat", 1.0, 6, "2024-06-01 02:00:00");
    ASSERT_EQ(Cli({"run", first, "-o", "a", "-q"}).exitStatus, 0);
    ASSERT_EQ(Cli({"run", second, "-o", "b", "-q", "--standard"}).exitStatus, 0);
    const ProgramRun png = Cli({"plot", "a.r1w", "b.s1w", "-o", "both.png", "--size", "640x480"});
    EXPECT_EQ(png.exitStatus, 0) << png.err;
    EXPECT_EQ(png.out + png.err, "");
    const std::string picture = ReadFile(dir / "both.png");
    ASSERT_GT(picture.size(), 24u);
    EXPECT_EQ(picture.substr(1, 3), "PNG");
    EXPECT_EQ(picture.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xe0", 8));  // 640 x 480
    EXPECT_EQ(Cli({"plot", "a.r1w", "-o", "a.SVG"}).exitStatus, 0);
    EXPECT_TRUE(Contains(ReadFile(dir / "a.SVG").substr(0, 200), "<svg")) << ReadFile(dir / "a.SVG").substr(0, 200);
    // The corrected file too, alone or beside the others (a line of its own).
    WriteFile(dir / "site.ini", "[site]\nmeasurement_height = 3\nlatitude = 50\n");
    ASSERT_EQ(Cli({"run", first, "-o", "c", "-q", "--site", "site.ini"}).exitStatus, 0);
    const ProgramRun corrected = Cli({"plot", "c.flux.csv", "-o", "c.png"});
    EXPECT_EQ(corrected.exitStatus, 0) << corrected.err;
    EXPECT_EQ(ReadFile(dir / "c.png").substr(1, 3), "PNG");
    EXPECT_EQ(Cli({"plot", "a.r1w", "c.flux.csv", "-o", "ac.png"}).exitStatus, 0);

    // A file with no half hour: nothing to draw, and no picture left behind.
    WriteFile(dir / "header.r1w", ReadFile(dir / "a.r1w").substr(0, ReadFile(dir / "a.r1w").find('\n') + 1));
    const ProgramRun empty = Cli({"plot", "header.r1w", "-o", "none.png"});
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_TRUE(Contains(empty.err, "no half hour to plot")) << empty.err;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_FALSE(entry.path().string().ends_with(".part")) << entry.path();
        EXPECT_NE(entry.path().filename(), "none.png");
    }
}

// A pipe must not block it and /dev/zero must not fill the memory: only a
// regular file is read. The picture never replaces a file it draws.
TEST_F(KelvaraCliTest, PlotReadsOnlyRegularFilesAndNeverDrawsOverOne) {
    ASSERT_EQ(Cli({"run", Raw("a.dat", 1.0, 5), "-o", "a", "-q"}).exitStatus, 0);
    ASSERT_EQ(mkfifo((dir / "pipe.r1w").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.r1w");
#ifdef __SANITIZE_ADDRESS__
    const std::string bounded = "exec timeout 10 \"$@\"";  // the sanitizer reserves more address space than any limit
#else
    const std::string bounded = "ulimit -v 2000000; exec timeout 10 \"$@\"";
#endif
    for (const std::string input : {"pipe.r1w", "zero.r1w"}) {
        const ProgramRun run =
            RunProgram("sh", {"-c", bounded, "sh", KELVARA_CLI_PATH, "plot", input, "-o", "x.png"}, dir.path());
        EXPECT_EQ(run.exitStatus, 1) << input;  // timeout's is 124
        EXPECT_EQ(run.err, "kelvara-cli: " + input + ": not a regular file\n");
    }

    fs::copy_file(dir / "a.r1w", dir / "results.png");
    fs::create_directory(dir / "sub");
    fs::create_hard_link(dir / "results.png", dir / "sub" / "linked.svg");
    const std::string results = ReadFile(dir / "results.png");
    for (const std::string output : {"./results.png", "sub/../results.png", "sub/linked.svg"}) {
        const ProgramRun run = Cli({"plot", "a.r1w", "results.png", "-o", output});
        EXPECT_EQ(run.exitStatus, 1) << output;
        EXPECT_EQ(run.err,
                  "kelvara-cli: " + output + ": is one of the results files to plot: name another picture file\n");
        EXPECT_EQ(ReadFile(dir / "results.png"), results);
    }
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

// A disk that fills up while the picture is written: the earlier picture
// stays, nothing is left beside it, and the message says why.
TEST_F(KelvaraCliTest, PlotOnAFullDiskKeepsTheEarlierPicture) {
    SmallTmpfs disk(dir / "disk", 256 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "a full disk needs a small tmpfs, which only root can mount: " << disk.Why();
    ASSERT_EQ(Cli({"run", Raw("a.dat", 6.0, 5), "-o", "a", "-q"}).exitStatus, 0);
    ASSERT_EQ(Cli({"plot", "a.r1w", "-o", "disk/day.png", "--size", "400x300"}).exitStatus, 0);
    const std::string earlier = ReadFile(disk / "day.png");
    ASSERT_TRUE(disk.FillLeaving(16 * 1024));
    for (const char* picture : {"disk/day.png", "disk/day.svg"}) {
        const ProgramRun run = Cli({"plot", "a.r1w", "-o", picture});
        EXPECT_EQ(run.exitStatus, 1) << picture;
        EXPECT_EQ(run.err, "kelvara-cli: " + std::string(picture) + ": No space left on device\n");
    }
    EXPECT_EQ(ReadFile(disk / "day.png"), earlier);
    EXPECT_FALSE(fs::exists(disk / "day.svg"));
    for (const auto& entry : fs::directory_iterator(dir / "disk")) {
        EXPECT_FALSE(entry.path().string().ends_with(".part")) << entry.path();
    }
}

TEST_F(KelvaraCliTest, AnInterruptedRunLeavesNoFinishedLookingFile) {
    // Long enough that the signal comes in the middle of the batch.
    const std::string raw = Raw("day.dat", 24, 7);
    std::string list;
    for (int i = 0; i < 40; ++i) list += raw + "\n";
    WriteFile(dir / "list.txt", list);
    for (const auto& [signal, number] : {std::pair{"INT", 2}, std::pair{"TERM", 15}, std::pair{"HUP", 1}}) {
        fs::remove(dir / "day.dat.r1w");
        // The signal comes once a results file is being written.
        const std::string command = ShellCommand(KELVARA_CLI_PATH, {"batch", "list.txt"}) +
                                    " & for i in $(seq 400); do ls *.part >/dev/null 2>&1 && break; sleep 0.02; done;"
                                    " kill -" +
                                    std::string(signal) + " $!; wait $!; echo $?";
        const ProgramRun run = RunProgram("sh", {"-c", command}, dir.path());
        EXPECT_EQ(std::to_string(128 + number) + "\n", run.out) << signal << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, "kelvara-cli: interrupted; " + raw + ".r1w not written")) << run.err;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            EXPECT_FALSE(entry.path().string().ends_with(".part")) << entry.path();
        }
    }
}

// Interrupted at any moment of a batch on two workers: no temporary is
// left, and no file that was put in place is named as not written.
TEST_F(KelvaraCliTest, AnInterruptedBatchOnTwoWorkersLeavesNoTemporaryAndNamesOnlyWhatIsMissing) {
    std::string list;
    for (int i = 0; i < 24; ++i) {
        const std::string name = "f" + std::to_string(i) + ".dat";
        Raw(name.c_str(), 0.5, static_cast<std::uint64_t>(100 + i));
        list += name + "\n";
    }
    WriteFile(dir / "list.txt", list);
    const std::string batch = ShellCommand(KELVARA_CLI_PATH, {"batch", "list.txt", "--jobs", "2"});
    // Each round: a fresh folder of results, a signal after 0 to 149 ms,
    // then every file named "not written" must be missing.
    const std::string script = "for round in $(seq 40); do rm -f *.r1w; " + batch +
                               " 2>err.txt & sleep 0.$(printf %03d $((RANDOM % 150))); kill -TERM $! 2>/dev/null;"
                               " wait $!;"
                               " ls *.part >/dev/null 2>&1 && echo \"round $round: a temporary is left\";"
                               " for f in $(grep -o '[^ ]*\\.r1w not written' err.txt | cut -d' ' -f1); do"
                               "   [ -e \"$f\" ] && echo \"round $round: $f is there but named not written\"; done;"
                               " done; true";
    const ProgramRun run = RunProgram("bash", {"-c", script}, dir.path());
    EXPECT_EQ("", run.out) << run.err;
}

// --check-only says what the batch would refuse and writes nothing.
TEST_F(KelvaraCliTest, BatchCheckOnlyWritesNothing) {
    const std::string a = Raw("a.dat", 0.6, 51);
    fs::copy_file(a, dir / "a.dat.r1w");  // a raw file named like a.dat's results
    WriteFile(dir / "clash.txt", "a.dat\na.dat.r1w\n");
    WriteFile(dir / "good.txt", "a.dat\nmissing.dat\n");
    const auto before = ReadFile(dir / "a.dat.r1w");
    EXPECT_EQ(Cli({"batch", "clash.txt", "--check-only"}).exitStatus, 1);
    EXPECT_EQ(before, ReadFile(dir / "a.dat.r1w"));
    const ProgramRun missing = Cli({"batch", "good.txt", "--check-only"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_TRUE(Contains(missing.err, "kelvara-cli: missing.dat: No such file or directory")) << missing.err;
    // With --keep-going the batch would go on past it.
    const ProgramRun going = Cli({"batch", "good.txt", "--check-only", "--keep-going", "--output-dir", "out"});
    EXPECT_EQ(going.exitStatus, 0) << going.err;
    EXPECT_TRUE(Contains(going.err, "2 files checked, 1 would fail: missing.dat; nothing written")) << going.err;
    EXPECT_FALSE(fs::exists(dir / "out"));
}

// What goes to standard output must arrive: a full disk is a failure.
TEST_F(KelvaraCliTest, AStandardOutputThatCannotBeWrittenIsAFailure) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    ASSERT_TRUE(samples::WriteTiltedSonicSample(dir / "tilted.dat", {}));
    for (const Args& arguments :
         {Args{"planefit", "tilted.dat", "--min-records", "1000"}, Args{"range", "--show"}, Args{"--version"}}) {
        const ProgramRun run =
            RunProgram("sh", {"-c", ShellCommand(KELVARA_CLI_PATH, arguments) + " >/dev/full"}, dir.path());
        EXPECT_EQ(run.exitStatus, 1) << arguments[0];
        EXPECT_TRUE(Contains(run.err, "kelvara-cli: standard output: ")) << run.err;
    }
}

// range --show: the limits in force and where they come from.
TEST_F(KelvaraCliTest, RangeShowTellsTheLimitsAndTheirSource) {
    const ProgramRun builtIn = Cli({"range", "--show"});
    EXPECT_EQ(builtIn.exitStatus, 0);
    EXPECT_TRUE(builtIn.out.starts_with("The built-in limits: there is no readable ")) << builtIn.out;
    EXPECT_TRUE(Contains(builtIn.out, "\nTs-Max\t50\n")) << builtIn.out;
    WriteFile(dir / "mine.ini", "U-Min\t-20\r\nU-Max\t2O\r\n");
    const ProgramRun mine = Cli({"range", "--show", "--range-file", "mine.ini"});
    EXPECT_EQ(mine.exitStatus, 0);
    EXPECT_TRUE(mine.out.starts_with("The limits of mine.ini:\nU-Min\t-20\nU-Max\t2\n")) << mine.out;
    EXPECT_TRUE(Contains(mine.err, "mine.ini line 2: U-Max \"2O\" is no number and reads as 2")) << mine.err;
    EXPECT_TRUE(Contains(mine.err, "mine.ini has 2 of 14 lines")) << mine.err;
}

}  // namespace
}  // namespace kelvara
