// kelvara-bench: how fast the block pipeline turns a day of 10 Hz raw data
// into fluxes, measured against a plain fgets/atof reader of the same file,
// and the standard methods beside the default on the same file.

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "BatchRun.h"
#include "ChildRun.h"
#include "FgetsRun.h"
#include "PipelineRun.h"
#include "SampleGenerator.h"
#include "StandardPipelineRun.h"

namespace fs = std::filesystem;

namespace {

struct BenchOptions {
    std::string file;
    std::string cli;
    double hours = 24.0;
    int hz = 10;
    int repeat = 3;
    std::uint64_t seed = 1;
    int batchFiles = 0;  // files of the batch timing; 0: none
    int batchJobs = 0;   // its worker count beside 1; 0: one a hardware thread
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double MegabytesPerSecond(std::uintmax_t bytes, double seconds) {
    return seconds > 0.0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
}

// A fresh folder under the system's temporary directory, removed on exit.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device entropy;
        path_ = fs::temp_directory_path() / ("kelvara-bench-" + std::to_string(entropy()));
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

bool GenerateFile(const fs::path& file, const BenchOptions& options) {
    kelvara::samples::SampleOptions sample;
    sample.seed = options.seed;
    sample.hours = options.hours;
    sample.hz = options.hz;
    sample.start = "2024-06-01 00:00:00";
    const auto start = std::chrono::steady_clock::now();
    if (!kelvara::samples::WriteRawSample(file, sample)) return false;
    const double seconds = SecondsSince(start);
    const std::uintmax_t bytes = fs::file_size(file);
    std::printf("Generated %s: %.1f MB, %lld records in %.2f s (%.0f MB/s)\n", file.string().c_str(),
                static_cast<double>(bytes) / 1e6, static_cast<long long>(kelvara::samples::PlannedRecordCount(sample)),
                seconds, MegabytesPerSecond(bytes, seconds));
    return true;
}

template <class Run>
double BestOf(int repeat, Run&& run) {
    double best = 0.0;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds = SecondsSince(start);
        if (i == 0 || seconds < best) best = seconds;
    }
    return best;
}

void PrintRate(const char* what, std::uintmax_t bytes, double seconds) {
    std::printf("%-22s best %7.3f s  %8.1f MB/s\n", what, seconds, MegabytesPerSecond(bytes, seconds));
}

double Ratio(double seconds, double baseline) { return baseline > 0.0 ? seconds / baseline : 0.0; }

// The standard methods beside the default on the same file: the block
// pipelines alone, then both runs whole (reading, every block, the results
// file), each the best of repeat.
bool CompareStandardMethods(const fs::path& file, std::uintmax_t bytes, const fs::path& scratch, int repeat,
                            double defaultPipelineSeconds) {
    kelvara::bench::PipelineTally standard;
    const double standardSeconds = BestOf(repeat, [&] { standard = kelvara::bench::RunStandardPipeline(file); });
    if (!standard.opened) {
        std::fprintf(stderr, "kelvara-bench: the standard pipeline cannot read \"%s\"\n", file.string().c_str());
        return false;
    }
    PrintRate("Standard pipeline:", bytes, standardSeconds);
    std::printf("%-22s %d blocks, %d with fluxes, %lld samples (checksum %.6g)\n", "", standard.blocks,
                standard.computed, standard.records, standard.checksum);

    bool finished = true;
    const double defaultRun =
        BestOf(repeat, [&] { finished = kelvara::bench::RunDefaultJob(file, scratch / "default_out") && finished; });
    const double standardRun =
        BestOf(repeat, [&] { finished = kelvara::bench::RunStandardJob(file, scratch / "standard_out") && finished; });
    if (!finished) {
        std::fprintf(stderr, "kelvara-bench: a run of \"%s\" did not finish\n", file.string().c_str());
        return false;
    }
    PrintRate("Default run (job):", bytes, defaultRun);
    PrintRate("Standard run (job):", bytes, standardRun);
    std::printf("Standard / default time: pipeline %.2f, run %.2f (the aim: at most 1.5)\n",
                Ratio(standardSeconds, defaultPipelineSeconds), Ratio(standardRun, defaultRun));
    return true;
}

// kelvara-cli batch over batchFiles files as long as the bench file, each
// generated with its own seed, with one worker and with batchJobs.
bool CompareBatchJobs(const BenchOptions& options, const fs::path& scratch) {
    std::vector<fs::path> files;
    std::string list;
    std::uintmax_t bytes = 0;
    for (int i = 0; i < options.batchFiles; ++i) {
        BenchOptions fileOptions = options;
        fileOptions.seed = options.seed + static_cast<std::uint64_t>(i) + 1;
        const fs::path file = scratch / ("batch_" + std::to_string(i) + ".dat");
        if (!GenerateFile(file, fileOptions)) return false;
        bytes += fs::file_size(file);
        list += file.string() + "\n";
    }
    const fs::path listFile = scratch / "batch_list.txt";
    if (std::FILE* out = std::fopen(listFile.string().c_str(), "wb")) {
        std::fputs(list.c_str(), out);
        std::fclose(out);
    }
    const fs::path outputDir = scratch / "batch_out";
    fs::create_directories(outputDir);
    const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int jobs = options.batchJobs > 0 ? options.batchJobs : hardware;
    std::fflush(stdout);
    const auto timings = kelvara::bench::TimeBatch(options.cli, listFile, outputDir, {1, jobs}, options.repeat);
    for (const auto& timing : timings) {
        if (timing.exitCode != 0) {
            std::fprintf(stderr, "kelvara-bench: kelvara-cli batch --jobs %d ended with exit code %d\n", timing.jobs,
                         timing.exitCode);
            return false;
        }
        char what[40];
        std::snprintf(what, sizeof what, "batch --jobs %d:", timing.jobs);
        PrintRate(what, bytes, timing.seconds);
    }
    std::printf("Batch of %d files, %d of %d hardware threads: %.2f times as fast as one worker\n", options.batchFiles,
                jobs, hardware, Ratio(timings[0].seconds, timings[1].seconds));
    return true;
}

int RunBench(const BenchOptions& options) {
    ScratchDir scratch;
    fs::path file = options.file;
    if (file.empty()) {
        file = scratch.path() / "tower_20240601.dat";
        if (!GenerateFile(file, options)) {
            std::fprintf(stderr, "kelvara-bench: cannot write the sample file in %s\n",
                         scratch.path().string().c_str());
            return 1;
        }
    }
    std::error_code error;
    const std::uintmax_t bytes = fs::file_size(file, error);
    if (error) {
        std::fprintf(stderr, "kelvara-bench: cannot read \"%s\": %s\n", file.string().c_str(), error.message().c_str());
        return 1;
    }
    std::printf("Input %s: %.1f MB, best of %d runs each\n", file.string().c_str(), static_cast<double>(bytes) / 1e6,
                options.repeat);

    kelvara::bench::PipelineTally pipeline;
    const double pipelineSeconds = BestOf(options.repeat, [&] { pipeline = kelvara::bench::RunPipeline(file); });
    if (!pipeline.opened) {
        std::fprintf(stderr, "kelvara-bench: the pipeline cannot open \"%s\"\n", file.string().c_str());
        return 1;
    }
    kelvara::bench::FgetsTally plain;
    const double fgetsSeconds = BestOf(options.repeat, [&] { plain = kelvara::bench::RunFgets(file); });

    PrintRate("Block pipeline:", bytes, pipelineSeconds);
    std::printf("%-22s %d blocks, %d with fluxes, %lld samples (checksum %.6g)\n", "", pipeline.blocks,
                pipeline.computed, pipeline.records, pipeline.checksum);
    PrintRate("fgets/atof reader:", bytes, fgetsSeconds);
    std::printf("%-22s %lld records (checksum %.6g)\n", "", plain.records, plain.sum);
    std::printf("Pipeline / fgets time: %.2f (below 1: the pipeline is faster)\n",
                fgetsSeconds > 0.0 ? pipelineSeconds / fgetsSeconds : 0.0);

    if (!CompareStandardMethods(file, bytes, scratch.path(), options.repeat, pipelineSeconds)) return 1;

    if (!options.cli.empty()) {
        const fs::path output = scratch.path() / "cli_out";
        const std::string command = kelvara::bench::ShellQuote(options.cli) + " run " +
                                    kelvara::bench::ShellQuote(file.string()) + " --output " +
                                    kelvara::bench::ShellQuote(output.string()) + " > /dev/null 2>&1";
        std::fflush(stdout);
        int exitCode = 0;
        const double cliSeconds = BestOf(options.repeat, [&] {
            const kelvara::bench::ChildResult run = kelvara::bench::RunChild(command);
            if (run.exitCode != 0) exitCode = run.exitCode;
        });
        if (exitCode != 0) {
            std::fprintf(stderr, "kelvara-bench: \"%s\" ended with exit code %d; run it by hand to see why\n",
                         command.c_str(), exitCode);
            return 1;
        }
        PrintRate("kelvara-cli run:", bytes, cliSeconds);
        const long rss = kelvara::bench::PeakChildRssKiB();
        if (rss >= 0) std::printf("%-22s peak RSS %.1f MiB\n", "", static_cast<double>(rss) / 1024.0);
        if (options.batchFiles > 0 && !CompareBatchJobs(options, scratch.path())) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    CLI::App app{"Times the block pipeline on a synthetic day of raw data against a plain fgets/atof reader."};
    app.add_option("--file", options.file, "Raw data file to use instead of a generated one")->check(CLI::ExistingFile);
    app.add_option("--hours", options.hours, "Length of the generated file in hours")
        ->check(CLI::Range(0.5, 24.0 * 366))
        ->capture_default_str();
    app.add_option("--hz", options.hz, "Samples per second of the generated file")
        ->check(CLI::IsMember({10, 20}))
        ->capture_default_str();
    app.add_option("--repeat", options.repeat, "Runs of each reader; the best counts")
        ->check(CLI::Range(1, 100))
        ->capture_default_str();
    app.add_option("--seed", options.seed, "Seed of the generated file")->capture_default_str();
    app.add_option("--cli", options.cli, "kelvara-cli to time end to end (run FILE --output OUT)")
        ->check(CLI::ExistingFile);
    app.add_option("--batch-files", options.batchFiles,
                   "Also time kelvara-cli batch over this many generated files of --hours each, "
                   "with --jobs 1 and --batch-jobs (needs --cli)")
        ->check(CLI::Range(0, 1000));
    app.add_option("--batch-jobs", options.batchJobs,
                   "Workers of the batch timing beside 1 (default: one a hardware thread)")
        ->check(CLI::Range(1, 128));
    CLI11_PARSE(app, argc, argv);
    try {
        return RunBench(options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kelvara-bench: %s\n", failure.what());
        return 1;
    }
}
