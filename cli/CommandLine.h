#pragma once
// What the user asked for on the command line.

#include <optional>
#include <string>
#include <vector>

#include "PlotCommand.h"
#include "pipeline/PlaneFit.h"
#include "InputFormatOptions.h"

namespace kelvara::cli {

enum class Command { Run, Batch, Append, PlaneFit, Plot };

// The plane coefficients are kept as typed: the job converts them.
struct PlanarFit {
    std::vector<std::string> coefficients;  // B0, B1, B2 when given
    bool automatic = false;                 // "auto": fitted over the inputs first
    bool Given() const { return coefficients.size() == 3; }
};

struct PlaneFitCommand {
    std::vector<std::string> files;
    std::string listFile;
    PlaneFitScreen screen;
    bool json = false;
};

// How batch spreads its list: over threads, past failures, into a folder,
// and over several machines.
struct BatchSpread {
    int jobs = 0;  // 0: one a hardware thread
    bool keepGoing = false;
    std::string outputDir;  // empty: beside each raw file
    int shardIndex = 0;     // --shard K/N: entry i (from 0) when i mod N is K
    int shardCount = 1;
};

struct CommandLine {
    Command command = Command::Run;
    bool quiet = false;

    // run
    std::vector<std::string> runFiles;  // one without --standard; the stream in order with it
    std::string firstFile;
    std::string secondFile;  // empty: continue without a second file
    std::string outputFile;

    // batch
    std::string listFile;
    BatchSpread spread;

    // run and batch
    bool standard = false;  // the standard methods, into .s1w / .sfw files
    PlanarFit planarFit;
    std::optional<std::string> rangeFile;
    InputFormatTexts inputFormat;

    // planefit (and its range file)
    PlaneFitCommand planeFit;

    // plot
    PlotRequest plot;

    // append
    std::string headLinesText;
    std::string appendOutput;
    std::vector<std::string> appendFiles;  // "" stands for an empty slot
};

inline constexpr int kUsageExitStatus = 2;

// Fills commandLine, or handles --help, --version and usage errors itself
// and returns the exit status to end with (0 after help or version).
std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& commandLine);

}  // namespace kelvara::cli
