// kelvara-flux: a development driver of the corrected fluxes, with the
// command line of tools/oracle/flux_oracle.py, so that the two can be
// compared over the same files before kelvara-cli carries the method.
//
//   kelvara-flux run FILE... --output OUT --site SITE.ini [--planar-fit B0 B1 B2]
//                [--columns default|auto|MAP] [--range-file PATH]
//
// Writes OUT.flux.csv and OUT.flux.json. Messages go to stderr; the exit
// status is 0 when both were written, 1 after a failure, 2 for a bad command
// line. The files are read as the standard methods read them (one stream);
// fs auto reads the first file's first time stamps here, as the engine's
// reader does not keep their seconds.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corrections/CorrectedFluxes.h"
#include "corrections/SamplingFrequency.h"
#include "io/BlockTime.h"
#include "io/ColumnLayout.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/FluxProvenance.h"
#include "io/FluxResultsLine.h"
#include "io/HeaderFields.h"
#include "io/InputFormat.h"
#include "io/RangeFile.h"
#include "io/SiteFile.h"
#include "io/StreamReader.h"
#include "jobs/JobInputs.h"
#include "pipeline/BlockPipeline.h"

namespace {

using namespace kelvara;

constexpr std::size_t kStampsForFs = 200;

struct CommandLine {
    std::vector<std::string> files;
    std::string output;
    std::string site;
    std::string columns = "default";
    std::optional<std::filesystem::path> rangeFile;
    RotationInputs rotation;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: kelvara-flux run FILE... --output OUT --site SITE.ini [--planar-fit B0 B1 B2]\n"
                 "                    [--columns default|auto|MAP] [--range-file PATH]\n");
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "kelvara-flux: %s\n", message.c_str());
    return 1;
}

bool Parse(int argc, char** argv, CommandLine& line) {
    if (argc < 2 || std::string_view(argv[1]) != "run") return false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view token = argv[i];
        const auto next = [&](std::string& out) {
            if (++i >= argc) return false;
            out = argv[i];
            return true;
        };
        if (token == "--planar-fit") {
            if (i + 3 >= argc) return false;
            line.rotation = RotationInputs{Rotation::PlanarFit, argv[i + 1], argv[i + 2], argv[i + 3]};
            i += 3;
        } else if (token == "--output") {
            if (!next(line.output)) return false;
        } else if (token == "--site") {
            if (!next(line.site)) return false;
        } else if (token == "--columns") {
            if (!next(line.columns)) return false;
        } else if (token == "--range-file") {
            std::string path;
            if (!next(path)) return false;
            line.rangeFile = std::filesystem::path(path);
        } else {
            line.files.emplace_back(token);
        }
    }
    return !line.files.empty() && !line.output.empty() && !line.site.empty();
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// "YYYY-MM-DD HH:MM:SS[.f]" (quotes, '/' and 'T' allowed) in seconds.
std::optional<double> StampSeconds(std::string_view text) {
    while (!text.empty() && (text.front() == '"' || text.front() == ' ')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == '"' || text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0.0;
    char sep1 = 0, sep2 = 0, sep3 = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%d%c%d%c%d%c%d:%d:%lf", &y, &sep1, &mo, &sep2, &d, &sep3, &h, &mi, &s) != 9) {
        return std::nullopt;
    }
    return static_cast<double>(DaysFromCivil(y, mo, d)) * 86400.0 + h * 3600.0 + mi * 60.0 + s;
}

// The time field of a record line: the first field, or the mapped one.
std::string_view TimeField(std::string_view line, const ColumnLayout& layout) {
    const int wanted = layout.mapped ? layout.column[kMapTime] : 0;
    std::size_t start = 0;
    for (int column = 0;; ++column) {
        std::size_t p = start;
        if (p < line.size() && line[p] == '"') {
            const std::size_t close = line.find('"', p + 1);
            p = close == std::string_view::npos ? line.size() : close + 1;
        }
        const std::size_t comma = line.find(',', p);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        if (column == wanted) return line.substr(start, end - start);
        if (comma == std::string_view::npos) return {};
        start = comma + 1;
    }
}

bool FindSamplingFrequency(const std::filesystem::path& file, const ColumnLayout& layout, double& fs,
                           std::string& problem) {
    std::ifstream stream(file, std::ios::binary);
    std::string line;
    for (int i = 0; i < kHeaderLineCount && std::getline(stream, line); ++i) {
    }
    std::vector<double> seconds;
    while (seconds.size() < kStampsForFs && std::getline(stream, line)) {
        if (const auto stamp = StampSeconds(TimeField(line, layout))) seconds.push_back(*stamp);
    }
    return EstimateSamplingFrequency(seconds, fs, problem);
}

bool WriteText(const std::string& path, std::string_view text) {
    std::ofstream out(PathFromText(path), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (!Parse(argc, argv, line)) return Usage();

    SiteSettings site;
    SiteFileError siteError;
    if (!ReadSiteFile(PathFromText(line.site), site, siteError)) return Fail(siteError.message);
    if (line.rotation.MissesCoefficient()) return Fail("the planar fit needs b0, b1 and b2");
    const RotationSettings rotation = line.rotation.Settings();
    InputFormat format;
    std::string problem;
    if (!ParseColumns(line.columns, format, problem)) return Fail(problem);
    RangeLimits limits;
    LoadRangeLimits(limits, line.rangeFile);

    std::vector<std::filesystem::path> paths;
    std::vector<ColumnLayout> layouts;
    for (const std::string& file : line.files) {
        paths.push_back(PathFromText(file));
        if (!IsReadableFile(paths.back())) return Fail(file + ": " + ReasonCannotRead(paths.back()));
        ColumnLayout layout;
        std::string description;
        if (ResolveFileColumns(paths.back(), format, layout, description, problem) != ColumnCheck::Resolved) {
            return Fail(file + ": " + problem);
        }
        layouts.push_back(layout);
    }

    FluxSettings settings{site, 0.0};
    if (site.fs) {
        settings.fs = *site.fs;
    } else if (!FindSamplingFrequency(paths.front(), layouts.front(), settings.fs, problem)) {
        return Fail(line.files.front() + ": " + problem);
    }

    StreamReader reader;
    reader.SetStatusRule(format.goodStatus);
    reader.Start(paths, layouts);
    auto block = std::make_unique<StandardBlock>();
    CorrectionWorkspace workspace;
    std::string results = std::string(kFluxHeader) + "\n";
    char text[kFluxLineSize];
    while (reader.ReadBlock(*block)) {
        if (block->count < kMinimumBlockSamples) continue;
        CalendarTime end;
        if (!BlockEndTime(reader.BlockDate(), reader.BlockKey(), end)) {
            return Fail(std::string("a half hour's date is not YYYY-MM-DD: ") + reader.BlockDate());
        }
        if (ScreenBlock(*block, limits) == BlockOutcome::Rejected) {
            results.append(text, static_cast<std::size_t>(FormatRejectedFluxLine(end, text)));
            continue;
        }
        CorrectedFluxes fluxes;
        if (!ComputeCorrectedFluxes(*block, rotation, settings, workspace, fluxes)) return Fail("out of memory");
        results.append(text, static_cast<std::size_t>(FormatFluxLine(end, fluxes, text)));
    }
    if (reader.Failed()) return Fail(line.files[reader.FailedFile()] + ": cannot be read");

    FluxProvenance provenance;
    provenance.programVersion = KELVARA_VERSION;
    provenance.site = site;
    provenance.fs = settings.fs;
    provenance.fsFromTimeStamps = !site.fs;
    provenance.rotation = rotation;
    provenance.limits = limits;
    provenance.columns = ColumnsText(format);
    provenance.statusRule = format.goodStatus.Text();
    provenance.inputFiles = line.files;
    if (!WriteText(line.output + ".flux.csv", results) ||
        !WriteText(line.output + ".flux.json", FluxProvenanceJson(provenance))) {
        return Fail("cannot write " + line.output + ".flux.csv");
    }
    return 0;
}
