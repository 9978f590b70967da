#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ExitStatus.h"
#include "Version.h"
#include "InputFormatOptions.h"
#include "MonthPart.h"
#include "io/FileNames.h"
#include "io/SiteFile.h"
#include "jobs/BatchJob.h"

namespace kelvara::cli {

namespace {

// What CLI11 fills in, as typed; Invocation() turns it into what the jobs
// take once the whole command line has been checked.
struct Typed {
    Command command = Command::Run;
    bool quiet = false;

    // run
    std::vector<std::string> runFiles;  // one without --standard; the stream with it
    std::string secondFile;             // empty: continue without a second file
    std::string outputFile;
    std::string runList;         // more raw files of the stream, from a list file
    int runJobs = 0;             // threads for the stream; 0: one a hardware thread
    std::string monthText;       // --month YYYY-MM
    std::string keptBeforeText;  // --kept-before

    // batch
    std::string listFile;
    BatchOptions spread{.jobs = 0};  // 0 jobs: one a hardware thread
    bool checkOnly = false;
    bool showRange = false;     // range --show
    bool siteTemplate = false;  // site --template

    // run and batch
    bool standard = false;                // the standard methods, into .s1w / .sfw files
    std::optional<SiteSettings> site;     // --site: the corrected fluxes into .flux.csv files
    std::vector<std::string> planeTexts;  // B0, B1, B2 as typed
    bool automaticPlane = false;          // "--planar-fit auto"
    std::optional<std::string> rangeFile;
    InputFormat input;

    // planefit
    PlaneFitInputs planeFit;
    bool json = false;

    PlotRequest plot;

    // append
    AppendInputs append;
    std::vector<std::string> appendFiles;  // "" stands for an empty slot

    bool PlaneGiven() const { return planeTexts.size() == 3; }
};

RotationInputs RotationOf(const Typed& typed) {
    // The fitted plane takes the placeholder's place before any file is read.
    if (typed.automaticPlane) return RotationInputs::PlanarFit(0.0, 0.0, 0.0);
    if (!typed.PlaneGiven()) return RotationInputs{};
    return RotationInputs{Rotation::PlanarFit, typed.planeTexts[0], typed.planeTexts[1], typed.planeTexts[2]};
}

Methods MethodsOf(const Typed& typed) {
    if (typed.site) return Methods::Corrected;
    return typed.standard ? Methods::Standard : Methods::Default;
}

Invocation InvocationOf(Typed& typed) {
    Invocation invocation{.command = typed.command, .quiet = typed.quiet, .rangeFile = typed.rangeFile};
    const Methods methods = MethodsOf(typed);
    invocation.fitPlane = typed.automaticPlane;
    invocation.checkOnly = typed.checkOnly;
    invocation.run = RunInputs{.methods = methods,
                               .files = typed.runFiles,
                               .outputFile = typed.outputFile,
                               .rotation = RotationOf(typed),
                               .input = typed.input,
                               .site = typed.site,
                               .jobs = typed.runJobs > 0 ? typed.runJobs : HardwareThreads()};
    if (!typed.secondFile.empty()) invocation.run.files.push_back(typed.secondFile);
    if (!typed.monthText.empty()) {
        StreamMonth month;
        ReadMonthText(typed.monthText, month);  // checked when parsed
        if (!typed.keptBeforeText.empty()) ReadKeptBeforeText(typed.keptBeforeText, month.keptBefore);
        invocation.run.month = month;
    }
    invocation.runList = typed.runList;
    BatchOptions spread = typed.spread;
    if (spread.jobs <= 0) spread.jobs = HardwareThreads();
    invocation.batch = BatchInputs{.methods = methods,
                                   .listFile = typed.listFile,
                                   .rotation = RotationOf(typed),
                                   .input = typed.input,
                                   .options = spread,
                                   .site = typed.site};
    invocation.planeFit = std::move(typed.planeFit);
    invocation.planeFit.input = typed.input;
    invocation.json = typed.json;
    invocation.plot = std::move(typed.plot);
    invocation.append = std::move(typed.append);
    for (std::size_t slot = 0; slot < typed.appendFiles.size() && slot < invocation.append.files.size(); ++slot) {
        invocation.append.files[slot] = typed.appendFiles[slot];
    }
    return invocation;
}

void AddProcessingOptions(CLI::App& command, Typed& typed) {
    command.add_flag("--standard", typed.standard,
                     "Standard methods (double rotation or a planar fit with one yaw per half hour, "
                     "Schotanus and WPL corrections, whole half hours) into .s1w / .sfw results files; "
                     "the default results stay as they always were");
    command
        .add_option("--planar-fit", typed.planeTexts,
                    "Rotate by planar fit with the plane coefficients B0 B1 B2 (numbers such as 0.05, "
                    "-.5 or 1e-3; each is read up to the first character that is no part of a number, "
                    "and counts as 0 without one), or 'auto': fit them over the same raw files first, "
                    "as the planefit command does (default: 2-axis rotation)")
        ->expected(3)
        ->type_name("B|auto");
    command
        .add_option("--range-file", typed.rangeFile,
                    "Read the screening limits from PATH instead of the usual range.ini "
                    "(in $WINDIR, else in $XDG_CONFIG_HOME/kelvara or ~/.config/kelvara)")
        ->type_name("PATH");
    command
        .add_option_function<std::string>(
            "--site",
            [&typed](const std::string& file) {
                SiteSettings site;
                SiteFileError error;
                if (!ReadSiteFile(PathFromText(file), site, error)) throw CLI::ValidationError(error.message);
                typed.site = site;
            },
            "Correct the standard methods' fluxes and flag them, with the site and instruments of SITE.ini "
            "(see 'kelvara-cli site --template'), into .flux.csv results with a .flux.json beside them")
        ->type_name("SITE.ini");
    AddInputFormatOptions(command, typed.input);
}

// "--planar-fit auto" and three coefficients name two planes.
void RefuseTwoPlanes(const Typed& typed) {
    if (typed.automaticPlane && typed.PlaneGiven()) {
        throw CLI::ValidationError("--planar-fit", "takes either 'auto' or three coefficients, not both");
    }
}

void AddRunCommand(CLI::App& app, Typed& typed) {
    CLI::App* run = app.add_subcommand(
        "run",
        "Process one raw data file (completed by the file that follows it with --second), or with --standard "
        "or --site every raw file given, as one stream");
    run->add_option("FILE", typed.runFiles,
                    "Raw data file, plain or gzip-compressed ('-' reads standard input); with --standard or "
                    "--site, every raw file of the stream, in any order (they are read in the order of their "
                    "first time stamps)")
        ->expected(1, -1);
    run->add_option("--second", typed.secondFile,
                    "Raw data file that follows FILE in time (without it the run "
                    "continues without a second file)")
        ->type_name("FILE");
    run->add_option("-o,--output", typed.outputFile,
                    "Results file name; .r1w (2-axis rotation) or .rfw (planar fit) is added, "
                    ".s1w or .sfw with --standard, .flux.csv with --site")
        ->required()
        ->type_name("OUT");
    run->add_option("--list", typed.runList,
                    "With --standard or --site: more raw files of the stream, one name a line "
                    "(a year of files does not fit a command line)")
        ->type_name("LIST");
    run->add_option("-j,--jobs", typed.runJobs,
                    "With --standard or --site: read the stream on N threads, each a part of the files "
                    "(default: one a hardware thread); the results are the same for any N")
        ->type_name("N")
        ->check(CLI::Range(1, 4096));
    run->add_option("--month", typed.monthText,
                    "With --standard or --site: only the half hours of the files whose first record falls in "
                    "this month (YYYY-MM), read so that months run apart join into the lines of one stream; "
                    "OUT.s1w.month beside the results tells the join what the month was read with "
                    "(scripts/cluster/slurm-months.sbatch)")
        ->type_name("YYYY-MM")
        ->check([](const std::string& text) {
            StreamMonth month;
            return ReadMonthText(text, month) ? std::string() : "is no month YYYY-MM: " + text;
        });
    run->add_option("--kept-before", typed.keptBeforeText,
                    "With --month: the time of the last record the months before kept, in nanoseconds since "
                    "1970 or none, as the join found it from their .month files (default: read from the end of "
                    "the file before the month)")
        ->type_name("NS")
        ->check([](const std::string& text) {
            std::optional<TimePoint> time;
            return ReadKeptBeforeText(text, time) ? std::string() : "is no count of nanoseconds or none: " + text;
        });
    AddProcessingOptions(*run, typed);
    run->callback([&typed] {
        typed.command = Command::Run;
        RefuseTwoPlanes(typed);
        const bool stream = typed.standard || typed.site;
        if (!stream && typed.runFiles.size() > 1) {
            throw CLI::ValidationError("unexpected argument '" + typed.runFiles[1] +
                                       "' (one raw file: the next goes after --second; --standard reads several "
                                       "as one stream)");
        }
        if (stream && !typed.secondFile.empty()) {
            throw CLI::ValidationError("--second", std::string("is not used with ") +
                                                       (typed.site ? "--site" : "--standard") +
                                                       ": give every raw file of the stream");
        }
        if (!stream && !typed.runList.empty()) {
            throw CLI::ValidationError("--list", "reads a stream of raw files: use it with --standard or --site");
        }
        if (typed.runFiles.empty() && typed.runList.empty()) {
            throw CLI::ValidationError("FILE", "give a raw data file" + std::string(stream ? " or --list LIST" : ""));
        }
        if (!stream && !typed.monthText.empty()) {
            throw CLI::ValidationError("--month", "reads a month of a stream: use it with --standard or --site");
        }
        if (typed.monthText.empty() && !typed.keptBeforeText.empty()) {
            throw CLI::ValidationError("--kept-before", "is used with --month");
        }
    });
}

// "K/N" with 0 <= K < N.
bool ReadShard(const std::string& text, BatchOptions& spread) {
    int index = -1, count = 0;
    char slash = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &index, &slash, &count, &rest) != 3 || slash != '/') return false;
    if (count < 1 || index < 0 || index >= count) return false;
    spread.shardIndex = index;
    spread.shardCount = count;
    return true;
}

void AddSpreadOptions(CLI::App& batch, BatchOptions& spread) {
    batch
        .add_option("-j,--jobs", spread.jobs,
                    "Process N raw files at once on N threads (default: one a hardware thread); "
                    "the results are the same for any N")
        ->type_name("N")
        ->check(CLI::Range(1, 4096));
    batch.add_flag("--keep-going", spread.keepGoing,
                   "A raw file that fails is reported and the batch goes on with the others; "
                   "exit status 1 at the end if any failed");
    batch
        .add_option("--output-dir", spread.outputDir,
                    "Write the results files into DIR, named by each raw file's own name plus the suffix; "
                    "DIR is made when it is not there")
        ->type_name("DIR")
        ->check(CLI::NonexistentPath | CLI::ExistingDirectory);
    batch
        .add_option_function<std::string>(
            "--shard",
            [&spread](const std::string& text) {
                if (!ReadShard(text, spread)) {
                    throw CLI::ValidationError("--shard", "takes K/N with 0 <= K < N, not " + text);
                }
            },
            "Process only the list's entries i (from 0) with i mod N = K, so that N runs together do "
            "one batch")
        ->type_name("K/N");
}

void AddBatchCommand(CLI::App& app, Typed& typed) {
    CLI::App* batch =
        app.add_subcommand("batch", "Process every raw data file named in a list file, one results file each");
    batch->add_option("LIST", typed.listFile, "List file: one raw data file name a line")->required();
    AddProcessingOptions(*batch, typed);
    AddSpreadOptions(*batch, typed.spread);
    batch->add_flag("--check-only", typed.checkOnly,
                    "Make every check the batch makes of the list and each raw file, and write nothing "
                    "(exit status 0 when the batch would start every file)");
    batch->callback([&typed] {
        typed.command = Command::Batch;
        RefuseTwoPlanes(typed);
    });
}

void AddPlaneFitCommand(CLI::App& app, Typed& typed) {
    CLI::App* fit = app.add_subcommand(
        "planefit", "Fit the planar-fit coefficients B0 B1 B2 to the half-hour mean winds of raw data files");
    PlaneFitInputs& options = typed.planeFit;
    fit->add_option("FILE", options.files, "Raw data files, each read on its own");
    fit->add_option("--list", options.listFile, "List file of more raw data files, one name a line")->type_name("LIST");
    fit->add_option("--min-records", options.screen.minRecords,
                    "Leave out blocks with fewer good records (partial half hours at gaps and file ends)")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    fit->add_option("--u-min", options.screen.uMin,
                    "Leave out blocks whose horizontal mean wind is slower, in m/s (calm air shows no tilt)")
        ->type_name("U")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    fit->add_option("--w-max", options.screen.wMax, "Leave out blocks whose |mean w| is larger, in m/s (a fault)")
        ->type_name("W")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    fit->add_option("--range-file", typed.rangeFile,
                    "Read the screening limits from PATH instead of the usual range.ini "
                    "(in $WINDIR, else in $XDG_CONFIG_HOME/kelvara or ~/.config/kelvara)")
        ->type_name("PATH");
    AddInputFormatOptions(*fit, typed.input);
    fit->add_flag("--json", typed.json, "Print one JSON object instead of the text for people");
    fit->callback([&typed] {
        typed.command = Command::PlaneFit;
        if (typed.planeFit.files.empty() && typed.planeFit.listFile.empty()) {
            throw CLI::ValidationError("FILE", "give raw data files, --list LIST, or both");
        }
    });
}

void AddPlotCommand(CLI::App& app, Typed& typed) {
    CLI::App* plot =
        app.add_subcommand("plot",
                           "Draw results files as a quick-look picture: u*, H and LE, Fc and Records over time; "
                           "half hours a corrected file flags 2 are crossed");
    PlotRequest& request = typed.plot;
    plot->add_option("RESULTS", request.files,
                     "Results files (.r1w, .rfw, .s1w, .sfw, .flux.csv), drawn together in time order")
        ->required()
        ->expected(1, -1);
    plot->add_option("-o,--output", request.output, "Picture file: .png or .svg")
        ->required()
        ->type_name("FILE")
        ->check([](const std::string& output) {
            return PictureFormatOf(output) ? std::string() : std::string("names neither a .png nor a .svg file");
        });
    plot->add_option("--size", request.sizeText, "Picture size in pixels (default 1200x900)")
        ->type_name("WxH")
        ->check([](const std::string& text) {
            return PictureSizeOf(text)
                       ? std::string()
                       : "is not WxH with both sides from " + std::to_string(plot::kMinimumPictureSide) + " to " +
                             std::to_string(plot::kMaximumPictureSide);
        });
    plot->callback([&typed] { typed.command = Command::Plot; });
}

void AddRangeCommand(CLI::App& app, Typed& typed) {
    CLI::App* range = app.add_subcommand("range", "The screening limits in force, and where they come from");
    range->add_flag("--show", typed.showRange, "Print the limits the jobs would screen with (required)")->required();
    range
        ->add_option("--range-file", typed.rangeFile,
                     "The range file to read instead of the usual range.ini "
                     "(in $WINDIR, else in $XDG_CONFIG_HOME/kelvara or ~/.config/kelvara)")
        ->type_name("PATH");
    range->callback([&typed] { typed.command = Command::ShowRange; });
}

void AddSiteCommand(CLI::App& app, Typed& typed) {
    CLI::App* site = app.add_subcommand("site", "The site file that --site reads");
    site->add_flag("--template", typed.siteTemplate,
                   "Print a commented site file with every key and its default, to fill in (required)")
        ->required();
    site->callback([&typed] { typed.command = Command::SiteTemplate; });
}

void AddAppendCommand(CLI::App& app, Typed& typed) {
    CLI::App* append =
        app.add_subcommand("append", "Append up to six text data files end to end, keeping their head lines once");
    append
        ->add_option("--head-lines", typed.append.headLinesText,
                     "Number of head lines at the top of each file, kept from the first file only (a "
                     "whole number; text that does not start with one counts as 0)")
        ->required()
        ->type_name("N");
    append->add_option("-o,--output", typed.append.outputFile, "Output file")->required()->type_name("OUT");
    append->add_option("FILE", typed.appendFiles, "Input files in slot order; an empty argument \"\" is an empty slot")
        ->required()
        ->expected(1, 6);
    append->callback([&typed] { typed.command = Command::Append; });
}

// After --planar-fit: fit the plane over the inputs instead of taking it.
constexpr const char* kAutomaticPlane = "auto";

// A text that names an option of this program: "--name", "--name=value" or
// "-x", defined by the subcommand or by the program itself.
bool IsOptionName(const CLI::App& command, const std::string& text) {
    if (text.size() < 2 || text[0] != '-') return false;
    const std::string name = text.substr(0, text.find('='));
    for (const CLI::App* owner = &command; owner != nullptr; owner = owner->get_parent()) {
        if (owner->get_option_no_throw(name) != nullptr) return true;
    }
    return false;
}

// A text after --planar-fit that is one of the program's options: the user
// left out a coefficient.
class OptionAsCoefficient : public CLI::ValidationError {
public:
    OptionAsCoefficient(std::string command, const std::string& text)
        : ValidationError("--planar-fit", "takes three coefficients B0 B1 B2, not the option " + text),
          command_(std::move(command)) {}
    const std::string& Command() const { return command_; }

private:
    std::string command_;
};

// "--planar-fit auto" asks for the fitted plane. Otherwise the three texts
// after --planar-fit are taken as they stand, so that "-.5"
// or "-inf" are coefficients rather than options (the jobs read them as atof
// does, like the dialogs' edits). The program's own option names are not:
// "--planar-fit --second a.dat b" is a forgotten coefficient, not a plane.
// The option keeps its place in the help; with fewer than three texts after
// it, the parser reports the usage error.
std::vector<char*> TakePlaneCoefficients(int argc, char** argv, const CLI::App& app, Typed& typed) {
    std::vector<char*> rest(argv, argv + argc);
    const CLI::App* processingCommand = nullptr;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const std::string token = rest[i];
        if (processingCommand == nullptr && (token == "run" || token == "batch")) {
            processingCommand = app.get_subcommand(token);
        }
        if (processingCommand == nullptr || token != "--planar-fit") continue;
        if (i + 1 < rest.size() && std::string(rest[i + 1]) == kAutomaticPlane) {
            typed.automaticPlane = true;
            rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(i),
                       rest.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            --i;
            continue;
        }
        if (i + 3 >= rest.size()) continue;
        const auto first = rest.begin() + static_cast<std::ptrdiff_t>(i) + 1;
        for (auto text = first; text != first + 3; ++text) {
            if (IsOptionName(*processingCommand, *text)) {
                throw OptionAsCoefficient(processingCommand->get_name(), *text);
            }
        }
        typed.planeTexts.assign(first, first + 3);
        rest.erase(first - 1, first + 3);
        --i;
    }
    return rest;
}

std::string SubcommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (!names.empty()) names += ", ";
        names += command->get_name();
    }
    return names;
}

// Usage errors as Unix tools word them: the program, what was typed and
// where to look next.
std::string UsageMessage(const CLI::App* app, const CLI::Error& error) {
    const std::vector<CLI::App*> chosen = app->get_subcommands();
    const std::string program = app->get_name();
    const auto* coefficient = dynamic_cast<const OptionAsCoefficient*>(&error);
    const std::string command = coefficient != nullptr ? coefficient->Command()
                                : chosen.empty()       ? ""
                                                       : chosen.front()->get_name();
    const std::vector<std::string> typed = app->remaining(true);
    std::string problem;
    if (typed.empty()) {
        const bool noCommand = command.empty() && dynamic_cast<const CLI::RequiredError*>(&error) != nullptr;
        problem = noCommand ? "no subcommand given" : error.what();
    } else if (typed.front().starts_with('-')) {
        problem = "unknown option '" + typed.front() + "'";
    } else if (command.empty()) {
        problem = "unknown subcommand '" + typed.front() + "'";
    } else {
        problem = "unexpected argument '" + typed.front() + "'";
    }
    const std::string where = command.empty() ? program : program + " " + command;
    return where + ": " + problem + "\n" + program + ": subcommands: " + SubcommandNames(*app) + "; see " + where +
           " --help\n";
}

}  // namespace

std::variant<Invocation, int> ParseCommandLine(int argc, char** argv) {
    Typed typed;
    CLI::App app{"Eddy-covariance flux processing from the command line", "kelvara-cli"};
    app.set_version_flag("--version", "kelvara-cli " KELVARA_VERSION);
    app.add_flag("-q,--quiet", typed.quiet,
                 "Silent when the job succeeds: no progress bar, status line or summary; "
                 "failures and warnings still print");
    app.require_subcommand(1);
    app.fallthrough();
    app.failure_message(UsageMessage);
    app.footer(
        "Messages go to stderr as 'title: text'; a failure that concerns a file adds\n"
        "'kelvara-cli: FILE: REASON'.\n"
        "Exit status: 0 when the job finished, 1 after a failure message, 2 for usage\n"
        "errors, 3 when a run or batch finished without fluxes for any half hour.\n");
    AddRunCommand(app, typed);
    AddBatchCommand(app, typed);
    AddPlaneFitCommand(app, typed);
    AddPlotCommand(app, typed);
    AddRangeCommand(app, typed);
    AddSiteCommand(app, typed);
    AddAppendCommand(app, typed);

    try {
        std::vector<char*> rest = TakePlaneCoefficients(argc, argv, app, typed);
        app.parse(static_cast<int>(rest.size()), rest.data());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageExitStatus;
    }
    return InvocationOf(typed);
}

}  // namespace kelvara::cli
