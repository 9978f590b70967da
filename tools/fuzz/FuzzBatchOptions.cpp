// libFuzzer target: kelvara-cli's batch with its spreading options (--jobs,
// --keep-going, --output-dir, --shard) over a list built from the input, in
// a scratch folder of raw files (one of them the input's bytes, one named
// like another's results, one whose name starts with '-', a folder, a name
// of nothing). Each listed name is also run on its own, which says whether
// it succeeds and what its results are. Whatever the list and options:
//   - no input (the list, a listed file) changes;
//   - a file the batch writes is the results file of a listed name in the
//     shard, and only when that name succeeds on its own, with the same bytes;
//   - a batch that finishes has every results file of its shard.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "FuzzCli.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

constexpr std::array<std::string_view, 10> kNames = {
    "a.dat",         // raw records
    "b.dat",         // header lines only
    "c.dat",         // header lines and the input's bytes
    "d.dat",         // raw records of another day
    "-x.dat",        // raw records, a name like an option
    "a.dat.r1w",     // a raw file named like a.dat's results
    "missing.dat",   // no such file
    "",              // an empty line is an empty name
    "sub",           // a folder
    "sub/../d.dat",  // d.dat spelled otherwise
};

// Where the results go: beside the raw files, into a new folder, into the
// folder that exists.
constexpr std::array<std::string_view, 3> kOutputDirs = {"", "out", "sub"};

const fuzz::ScratchFolder& Scratch() {
    static const fuzz::ScratchFolder scratch("batch-options");
    return scratch;
}

void BuildFolder(const fuzz::ScratchFolder& scratch, std::string_view rawBytes) {
    static const std::string tower = std::string(fuzz::kRawHeader) + fuzz::TowerRecords(10, 20, 21);
    static const std::string other = std::string(fuzz::kRawHeader) + fuzz::TowerRecords(13, 5, 40);
    scratch.Clear();
    fuzz::WriteFile(scratch / "a.dat", tower);
    fuzz::WriteFile(scratch / "b.dat", fuzz::kRawHeader);
    fuzz::WriteFile(scratch / "c.dat", std::string(fuzz::kRawHeader) + std::string(rawBytes));
    fuzz::WriteFile(scratch / "d.dat", other);
    fuzz::WriteFile(scratch / "-x.dat", other.substr(0, other.size() / 2));
    fuzz::WriteFile(scratch / "a.dat.r1w", tower);
    fs::create_directory(scratch / "sub");
}

bool Succeeded(int exitStatus) {
    return exitStatus == cli::kJobFinishedExitStatus || exitStatus == cli::kNoFluxesExitStatus;
}

// The results of a name run on its own; none when that run fails. Run in
// the scratch folder; it leaves nothing there.
std::optional<std::string> RunAlone(const std::string& name, const std::vector<std::string>& plane,
                                    std::string_view suffix) {
    std::vector<std::string> arguments{"kelvara-cli", "-q", "run", "./" + name, "-o", "alone"};
    arguments.insert(arguments.end(), plane.begin(), plane.end());
    const fuzz::CliRun run = fuzz::RunCli(arguments);
    const fs::path results = "alone" + std::string(suffix);
    std::optional<std::string> bytes = fuzz::ReadFile(results);
    fs::remove(results);
    if (!Succeeded(run.exitStatus)) {
        fuzz::Expect(!bytes, "a failed run left a results file", name + ": " + fuzz::Escaped(run.shown));
        return std::nullopt;
    }
    fuzz::Expect(bytes.has_value(), "a finished run left no results file", name + ": " + fuzz::Escaped(run.shown));
    return bytes;
}

// The raw files but c.dat are the same for every input: their runs alone
// are kept.
std::optional<std::string> Alone(const std::string& name, bool planarFit, const std::vector<std::string>& plane,
                                 std::string_view suffix) {
    static std::map<std::pair<std::string, bool>, std::optional<std::string>> kept;
    if (name == "c.dat") return RunAlone(name, plane, suffix);
    const auto key = std::make_pair(name, planarFit);
    const auto found = kept.find(key);
    if (found != kept.end()) return found->second;
    return kept[key] = RunAlone(name, plane, suffix);
}

// Every regular file, by its path in the scratch folder, with its bytes.
std::map<std::string, std::string> Files(const fuzz::ScratchFolder& scratch) {
    std::map<std::string, std::string> files;
    for (const std::string_view folder : {"", "out", "sub"}) {
        for (auto& [name, bytes] : fuzz::Snapshot(scratch / folder)) {
            if (bytes != "<folder>") files[(fs::path(folder) / name).lexically_normal().string()] = bytes;
        }
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareCli(Scratch().Path());  // no range.ini there: the built-in limits
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchFolder& scratch = Scratch();
    FuzzedDataProvider input(data, size);
    const bool planarFit = input.ConsumeBool();
    const bool crlf = input.ConsumeBool();
    const int jobs = input.ConsumeIntegralInRange<int>(0, 3);  // 0: not given
    const bool keepGoing = input.ConsumeBool();
    const std::string outputDir(kOutputDirs[input.ConsumeIntegralInRange<std::size_t>(0, kOutputDirs.size() - 1)]);
    const int shardCount = input.ConsumeIntegralInRange<int>(0, 3);  // 0: not given
    const int shardIndex = shardCount == 0 ? 0 : input.ConsumeIntegralInRange<int>(0, shardCount - 1);
    std::vector<std::string> names(input.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (std::string& name : names) name = kNames[input.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)];
    BuildFolder(scratch, input.ConsumeRemainingBytesAsString());
    std::string list;
    for (const std::string& name : names) list += name + (crlf ? "\r\n" : "\n");
    fuzz::WriteFile(scratch / "list.txt", list);

    std::vector<std::string> plane;
    if (planarFit) plane = {"--planar-fit", "0.05", "0.02", "-0.03"};
    const std::string suffix = planarFit ? ".rfw" : ".r1w";
    std::vector<std::string> arguments{"kelvara-cli", "-q", "batch", "list.txt"};
    arguments.insert(arguments.end(), plane.begin(), plane.end());
    if (jobs > 0) arguments.insert(arguments.end(), {"--jobs", std::to_string(jobs)});
    if (keepGoing) arguments.push_back("--keep-going");
    if (!outputDir.empty()) arguments.insert(arguments.end(), {"--output-dir", outputDir});
    if (shardCount > 0)
        arguments.insert(arguments.end(), {"--shard", std::to_string(shardIndex) + "/" + std::to_string(shardCount)});
    std::string command;
    for (std::size_t i = 1; i < arguments.size(); ++i) command += " '" + arguments[i] + "'";
    const std::string context = "kelvara-cli" + command + " with list \"" + fuzz::Escaped(list) + "\"";

    // Each name of the shard: its results file and what it holds when run alone.
    std::map<std::string, std::optional<std::string>> expected;
    fuzz::CliRun batch;
    std::map<std::string, std::string> before, after;
    {
        const fuzz::WorkingFolder inScratch(scratch.Path());
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (shardCount > 0 && static_cast<int>(i % static_cast<std::size_t>(shardCount)) != shardIndex) continue;
            const fs::path raw = names[i];
            const fs::path results = outputDir.empty() ? fs::path(names[i] + suffix)
                                                       : fs::path(outputDir) / (raw.filename().string() + suffix);
            expected[results.lexically_normal().string()] = Alone(names[i], planarFit, plane, suffix);
        }
        before = Files(scratch);
        batch = fuzz::RunCli(arguments);
        after = Files(scratch);
    }
    fuzz::Expect(!batch.parseStatus, "the batch's command line did not parse", context + ": " + batch.shown);
    const std::string shown =
        context + "\nexit " + std::to_string(batch.exitStatus) + ", shown: " + fuzz::Escaped(batch.shown, 2000);

    for (const std::string& name : names) {
        const std::string file = fs::path(name).lexically_normal().string();
        const auto was = before.find(file);
        if (was == before.end()) continue;
        const auto now = after.find(file);
        fuzz::Expect(now != after.end() && now->second == was->second, "the batch changed an input",
                     file + " changed; " + shown);
    }
    fuzz::Expect(list == before.at("list.txt") && after.count("list.txt") && after.at("list.txt") == list,
                 "the batch changed its list", shown);
    for (const auto& [file, bytes] : after) {
        const auto was = before.find(file);
        if (was != before.end() && was->second == bytes) continue;
        const auto results = expected.find(file);
        fuzz::Expect(results != expected.end(), "the batch wrote a file that is no results file of its shard",
                     file + "; " + shown);
        fuzz::Expect(results->second.has_value(), "the batch wrote results for a name that fails on its own",
                     file + "; " + shown);
        fuzz::Expect(*results->second == bytes, "the batch's results differ from the name's run alone",
                     file + "; " + shown);
    }
    if (Succeeded(batch.exitStatus)) {
        for (const auto& [file, results] : expected) {
            fuzz::Expect(results.has_value(), "a batch finished although a name fails on its own", file + "; " + shown);
            const auto written = after.find(file);
            fuzz::Expect(written != after.end() && written->second == *results,
                         "a batch finished without a name's results", file + "; " + shown);
        }
    }
    return 0;
}
