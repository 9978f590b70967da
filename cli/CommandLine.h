#pragma once
// What the user asked for on the command line.

#include <optional>
#include <string>
#include <vector>

namespace kelvara::cli {

enum class Command { Run, Batch, Append };

// The plane coefficients are kept as typed: the job converts them.
struct PlanarFit {
    std::vector<std::string> coefficients;  // B0, B1, B2 when given
    bool Given() const { return coefficients.size() == 3; }
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
