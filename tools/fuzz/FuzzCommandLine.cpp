// libFuzzer target: kelvara-cli in process, as main() runs it. The input's
// lines are the arguments, run in a scratch folder that holds raw files, a
// list, a range file, a text file, a raw file named like another's results,
// links and a folder. Whatever the arguments:
//   - the exit status is 0 exactly when "Processing Finished!" was shown,
//     and 3 exactly when the no-fluxes warning was;
//   - no file the command reads (a raw file, the list and the names in it,
//     the range file, an append input) changes;
//   - help, version and usage errors change no file at all.
// An argument with a '/' is skipped, so that nothing outside the folder is
// ever named. "@" and one character stand for one of the folder's names
// ("@0" to "@9" for each in turn), so that any change of that character
// names another file.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "ExitStatus.h"
#include "FuzzCheck.h"
#include "FuzzCli.h"
#include "FuzzMarks.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

constexpr std::size_t kMaxArguments = 16;

// What "@0" to "@9" stand for (and any "@c": the name that c's code picks).
// "b" is an output name whose 2-axis results name, b.r1w, is a link to
// b.dat; "out" names nothing yet.
constexpr std::string_view kShortNames[] = {"a.dat",    "b.dat",     "a.dat.r1w", "alias.dat", "b",
                                            "list.txt", "range.ini", "t.txt",     "sub",       "out"};

// libFuzzer cannot see which file an argument names: "-o out" and "-o a.dat"
// run the same code until a check compares names. A mark for each pair of
// (word before, name) keeps inputs that put a name after a given option.
constexpr std::string_view kWords[] = {"run",      "batch",        "append",       "-o",           "--output",
                                       "--second", "--planar-fit", "--range-file", "--head-lines", "-q"};

template <std::size_t kCount>
std::size_t IndexIn(const std::string_view (&texts)[kCount], std::string_view text) {
    std::size_t i = 0;
    while (i < kCount && texts[i] != text) ++i;
    return i;  // kCount: none of them
}

// The checks that keep inputs whole compare names: the same name, or one
// name with a results suffix added. A mark for each such relation between
// two arguments (told apart by the words before them) keeps inputs that
// bring two names together.
bool IsResultsNameOf(const std::string& results, const std::string& name) {
    return results == name + ".r1w" || results == name + ".rfw";
}

void MarkArguments(const std::vector<std::string>& arguments) {
    constexpr std::size_t kNameKinds = std::size(kShortNames) + 1;
    constexpr std::size_t kWordKinds = std::size(kWords) + 1;
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        const std::size_t word = IndexIn(kWords, arguments[i - 1]);
        fuzz::Mark<kWordKinds * kNameKinds>(word * kNameKinds + IndexIn(kShortNames, arguments[i]));
        for (std::size_t j = 2; j < arguments.size(); ++j) {
            if (j == i || arguments[i].empty()) continue;
            const bool same = arguments[j] == arguments[i];
            if (!same && !IsResultsNameOf(arguments[j], arguments[i])) continue;
            const std::size_t pair = word * kWordKinds + IndexIn(kWords, arguments[j - 1]);
            fuzz::Mark<kWordKinds * kWordKinds * 2>(pair * 2 + (same ? 0 : 1));
        }
    }
}

const fuzz::ScratchFolder& Scratch() {
    static const fuzz::ScratchFolder scratch("command-line");
    return scratch;
}

void BuildFolder(const fuzz::ScratchFolder& scratch) {
    static const std::string first = std::string(fuzz::kRawHeader) + fuzz::TowerRecords(10, 20, 21);
    static const std::string second = std::string(fuzz::kRawHeader) + fuzz::TowerRecords(10, 41, 30);
    scratch.Clear();
    fuzz::WriteFile(scratch / "a.dat", first);
    fuzz::WriteFile(scratch / "b.dat", second);
    fuzz::WriteFile(scratch / "a.dat.r1w", first);  // named like a.dat's results
    fuzz::WriteFile(scratch / "list.txt", "a.dat\nb.dat\n");
    fuzz::WriteFile(scratch / "range.ini",
                    "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
                    "CO2-Min\t0\r\nCO2-Max\t1500\r\nH2O-Min\t-20\r\nH2O-Max\t100\r\nTs-Min\t-50\r\nTs-Max\t50\r\n"
                    "P-Min\t30\r\nP-Max\t150\r\n");
    fuzz::WriteFile(scratch / "t.txt", "head\r\nmore\r\ndata\r\n");
    fs::create_symlink("a.dat", scratch / "alias.dat");
    fs::create_symlink("b.dat", scratch / "b.r1w");  // a results name that leads to a raw file
    fs::create_directory(scratch / "sub");
}

// The arguments: one a line, at most 16. None when one holds a '/'.
std::optional<std::vector<std::string>> Arguments(std::string_view bytes) {
    std::vector<std::string> arguments{"kelvara-cli"};
    while (!bytes.empty() && arguments.size() <= kMaxArguments) {
        const std::size_t lineFeed = bytes.find('\n');
        std::string argument(bytes.substr(0, lineFeed));
        bytes = lineFeed == std::string_view::npos ? std::string_view() : bytes.substr(lineFeed + 1);
        // A C string ends at its null; a '/' could leave the folder.
        argument = argument.substr(0, argument.find('\0'));
        if (argument.find('/') != std::string::npos) return std::nullopt;
        if (argument.size() == 2 && argument[0] == '@') {
            argument = kShortNames[static_cast<unsigned char>(argument[1]) % std::size(kShortNames)];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

// The names of the list file, as the batch reads them.
std::vector<std::string> ListedNames(const std::string& listFile) {
    std::vector<std::string> names;
    std::ifstream in(PathFromText(listFile), std::ios::binary);
    std::string line;
    while (in && in.peek() != std::ifstream::traits_type::eof() && std::getline(in, line) && names.size() < 100) {
        if (!in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
        names.push_back(line);
    }
    return names;
}

// Every name the command reads a file by.
std::vector<std::string> InputNames(const cli::Invocation& invocation) {
    std::vector<std::string> names;
    switch (invocation.command) {
        case cli::Command::Run:
            names = invocation.run.files;
            if (!invocation.runList.empty()) {
                const std::vector<std::string> listed = ListedNames(invocation.runList);
                names.insert(names.end(), listed.begin(), listed.end());
                names.push_back(invocation.runList);
            }
            break;
        case cli::Command::Batch:
            names = ListedNames(invocation.batch.listFile);
            names.push_back(invocation.batch.listFile);
            break;
        case cli::Command::Append:
            names.assign(invocation.append.files.begin(), invocation.append.files.end());
            break;
        case cli::Command::PlaneFit:
            names = invocation.planeFit.files;
            if (!invocation.planeFit.listFile.empty()) {
                const std::vector<std::string> listed = ListedNames(invocation.planeFit.listFile);
                names.insert(names.end(), listed.begin(), listed.end());
                names.push_back(invocation.planeFit.listFile);
            }
            break;
        case cli::Command::Plot:
            names = invocation.plot.files;
            break;
        case cli::Command::ShowRange:
        case cli::Command::SiteTemplate:
            break;
    }
    // The processing commands read the range file; WINDIR is the scratch folder.
    if (invocation.command != cli::Command::Append && invocation.command != cli::Command::Plot) {
        names.push_back(invocation.rangeFile.value_or("range.ini"));
    }
    return names;
}

// By any name; a file that is gone is matched by its own name.
bool IsAnInput(const std::string& file, const std::vector<std::string>& inputs) {
    for (const std::string& name : inputs) {
        if (!name.empty() && (name == file || IsSameFile(PathFromText(file), PathFromText(name)))) return true;
    }
    return false;
}

bool ShowsLine(const std::string& shown, std::string_view line) {
    std::size_t start = 0;
    while (start < shown.size()) {
        const std::size_t lineFeed = shown.find('\n', start);
        if (std::string_view(shown).substr(start, lineFeed - start) == line) return true;
        if (lineFeed == std::string::npos) break;
        start = lineFeed + 1;
    }
    return false;
}

struct Run {
    std::optional<int> parseStatus;  // help, version or a usage error
    int exitStatus = 0;
    bool quiet = false;  // a finished job then shows nothing
    // The planar fit and the plot end without "Processing Finished!".
    bool reportsFinished = true;
    std::string shown;  // what the terminal port wrote
    std::vector<std::string> inputs;
};

Run RunInProcess(const std::vector<std::string>& arguments) {
    fuzz::CliRun cli = fuzz::RunCli(arguments);
    Run run;
    run.parseStatus = cli.parseStatus;
    run.exitStatus = cli.exitStatus;
    run.shown = std::move(cli.shown);
    if (cli.invocation) {
        run.inputs = InputNames(*cli.invocation);
        run.quiet = cli.invocation->quiet;
        run.reportsFinished =
            cli.invocation->command != cli::Command::PlaneFit && cli.invocation->command != cli::Command::Plot;
    }
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareCli(Scratch().Path());  // range.ini is the scratch folder's
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchFolder& scratch = Scratch();
    auto arguments = Arguments(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!arguments) return -1;  // not worth keeping in the corpus
    MarkArguments(*arguments);
    std::string command;
    for (std::size_t i = 1; i < arguments->size(); ++i) command += " '" + fuzz::Escaped((*arguments)[i]) + "'";

    BuildFolder(scratch);
    const auto before = fuzz::Snapshot(scratch.Path());
    Run run;
    bool anyChange = false;
    std::string changedInput;
    {
        const fuzz::WorkingFolder inScratch(scratch.Path());
        run = RunInProcess(*arguments);
        const auto after = fuzz::Snapshot(scratch.Path());
        anyChange = after != before;
        for (const auto& [name, bytes] : before) {
            const auto now = after.find(name);
            const bool same = now != after.end() && now->second == bytes;
            if (!same && IsAnInput(name, run.inputs)) changedInput = name;
        }
    }
    fuzz::Expect(changedInput.empty(), "a command changed its own input",
                 changedInput + " changed by: kelvara-cli" + command + "\nshown: " + fuzz::Escaped(run.shown));
    if (run.parseStatus) {
        fuzz::Expect(!anyChange, "help, version or a usage error changed a file", "kelvara-cli" + command);
        return 0;
    }
    // A finished job exits 0, or 3 when no half hour gave fluxes.
    const bool finishedStatus =
        run.exitStatus == cli::kJobFinishedExitStatus || run.exitStatus == cli::kNoFluxesExitStatus;
    fuzz::Expect(finishedStatus || run.exitStatus == cli::kJobFailedExitStatus,
                 "a command ended with another exit status", "kelvara-cli" + command);
    if (!run.reportsFinished) return 0;
    const std::string context =
        "kelvara-cli" + command + "\nexit " + std::to_string(run.exitStatus) + ", shown: " + fuzz::Escaped(run.shown);
    const bool finished = ShowsLine(run.shown, "Status: Processing Finished!");
    const bool noFluxes = run.shown.find("kelvara-cli: warning: no fluxes computed: ") != std::string::npos;
    if (!run.quiet) {
        fuzz::Expect(finished == (run.exitStatus == cli::kJobFinishedExitStatus),
                     "exit status and \"Processing Finished!\" disagree", context);
    }
    fuzz::Expect(noFluxes == (run.exitStatus == cli::kNoFluxesExitStatus),
                 "exit status and the no-fluxes warning disagree", context);
    return 0;
}
