// libFuzzer target: the planar fit's names, on the command line and in a
// list, built from the input: the same file named again (by another
// spelling, through a link), files that cannot be read, empty lines, either
// line end. A scratch folder holds raw files whose half hours blow from
// every side, so that the fit is determined. Whatever the names:
//   - the fit and its excluded half hours are those of the distinct files,
//     each named once in the order first named, without a list;
//   - a warning is shown exactly when a file is named again;
//   - no input changes.

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "FuzzPort.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"
#include "jobs/JobMessages.h"
#include "jobs/PlaneFitJob.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

constexpr std::array<std::string_view, 12> kNames = {
    "p1.dat",        "p2.dat",   "p3.dat", "alias.dat",  // alias.dat: a link to p1.dat
    "sub/../p2.dat", "./p3.dat", "",       "missing.dat", "sub", "header.dat",
    "input.dat",  // header lines and the input's bytes
    "list.txt",
};

// Three half hours of ten records, the wind turning by 120 degrees from one
// to the next, on a plane tilted a little.
std::string Blowing(int day, double firstDegrees) {
    std::string text(fuzz::kRawHeader);
    for (int half = 0; half < 3; ++half) {
        const double angle = (firstDegrees + 120.0 * half) * M_PI / 180.0;
        for (int r = 0; r < 10; ++r) {
            const double speed = 2.0 + 0.1 * (r % 3);
            const double u = speed * std::cos(angle), v = speed * std::sin(angle);
            const double w = 0.03 * u - 0.02 * v + 0.01 * (r % 4) - 0.015;
            char line[200];
            std::snprintf(line, sizeof line,
                          "\"2024-06-%02d %02d:%02d:%02d\",%.4f,%.4f,%.4f,700.%d,10.%d,20.%d,98,0\r\n", day,
                          10 + (half * 30 + r) / 60, (half * 30 + r) % 60, r * 3, u, v, w, r, r % 7, r % 3);
            text += line;
        }
    }
    return text;
}

void BuildFolder(const fuzz::ScratchFolder& scratch, std::string_view inputBytes) {
    static const std::string files[3] = {Blowing(1, 10), Blowing(2, 50), Blowing(3, 80)};
    scratch.Clear();
    for (int i = 0; i < 3; ++i) fuzz::WriteFile(scratch / ("p" + std::to_string(i + 1) + ".dat"), files[i]);
    fuzz::WriteFile(scratch / "header.dat", fuzz::kRawHeader);
    fuzz::WriteFile(scratch / "input.dat", std::string(fuzz::kRawHeader) + std::string(inputBytes));
    fs::create_symlink("p1.dat", scratch / "alias.dat");
    fs::create_directory(scratch / "sub");
}

struct Fit {
    std::optional<PlaneFitReport> report;
    fuzz::MessagePort port;
};

Fit RunFit(const std::vector<std::string>& files, const std::string& listFile) {
    PlaneFitInputs inputs;
    inputs.files = files;
    inputs.listFile = listFile;
    inputs.screen.minRecords = 5;
    Fit fit;
    fit.report = RunPlaneFitJob(inputs, fit.port);
    return fit;
}

bool SameReport(const std::optional<PlaneFitReport>& a, const std::optional<PlaneFitReport>& b) {
    if (!a || !b) return !a && !b;
    const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
    const PlaneFit& x = a->fit;
    const PlaneFit& y = b->fit;
    if (x.ok != y.ok || x.refusal != y.refusal || x.blocksUsed != y.blocksUsed || x.sectors != y.sectors) return false;
    for (const auto& [p, q] : std::initializer_list<std::pair<double, double>>{{x.b0, y.b0},
                                                                               {x.b1, y.b1},
                                                                               {x.b2, y.b2},
                                                                               {x.se_b0, y.se_b0},
                                                                               {x.se_b1, y.se_b1},
                                                                               {x.se_b2, y.se_b2},
                                                                               {x.rmsResidual, y.rmsResidual}}) {
        if (bits(p) != bits(q)) return false;
    }
    if (a->excluded.size() != b->excluded.size()) return false;
    for (std::size_t i = 0; i < a->excluded.size(); ++i) {
        if (a->excluded[i].time != b->excluded[i].time || a->excluded[i].reason != b->excluded[i].reason) return false;
    }
    return true;
}

bool Warned(const fuzz::MessagePort& port) {
    for (const fuzz::ShownMessage& message : port.messages) {
        if (message.title == messages::kWarningTitle && message.text.find("named more than once") != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The range file of the "Windows directory": none, the built-in limits.
    static const fuzz::ScratchFolder windows("plane-fit-windows");
    setenv("WINDIR", windows.Path().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("plane-fit-list");
    FuzzedDataProvider input(data, size);
    const bool crlf = input.ConsumeBool();
    const bool withList = input.ConsumeBool();
    auto pick = [&input] {
        return std::string(kNames[input.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)]);
    };
    std::vector<std::string> files(input.ConsumeIntegralInRange<std::size_t>(0, 2));
    for (std::string& name : files) name = pick();
    std::vector<std::string> listed(withList ? input.ConsumeIntegralInRange<std::size_t>(0, 8) : 0);
    for (std::string& name : listed) name = pick();
    BuildFolder(scratch, input.ConsumeRemainingBytesAsString());
    std::string list;
    for (const std::string& name : listed) list += name + (crlf ? "\r\n" : "\n");
    fuzz::WriteFile(scratch / "list.txt", list);

    // Every name as the job reads them, and each file once.
    std::vector<std::string> all = files;
    all.insert(all.end(), listed.begin(), listed.end());
    std::vector<std::string> once;
    std::set<fs::path> seen;
    bool repeated = false;
    for (const std::string& name : all) {
        std::error_code error;
        fs::path key = fs::weakly_canonical(scratch / name, error);
        if (error) key = (scratch / name).lexically_normal();
        if (seen.insert(key).second) {
            once.push_back(name);
        } else {
            repeated = true;
        }
    }

    const auto before = fuzz::Snapshot(scratch.Path());
    Fit named, distinct;
    {
        const fuzz::WorkingFolder inScratch(scratch.Path());
        named = RunFit(files, withList ? "list.txt" : "");
        if (!once.empty()) distinct = RunFit(once, "");
    }
    const std::string context = "files \"" + fuzz::Escaped(std::string(files.empty() ? "" : files[0])) + "\"" +
                                (withList ? ", list \"" + fuzz::Escaped(list) + "\"" : ", no list") + "; shown " +
                                named.port.Texts();
    fuzz::Expect(fuzz::Snapshot(scratch.Path()) == before, "the planar fit changed a file", context);
    if (once.empty()) {
        fuzz::Expect(!named.report, "a planar fit of no file gave a report", context);
        return 0;
    }
    fuzz::Expect(SameReport(named.report, distinct.report),
                 "a planar fit of names given again differs from each file's once",
                 context + "\neach once: " + distinct.port.Texts());
    // A list that cannot be read stops the job before the names are known.
    if (named.report || !withList || fs::is_regular_file(scratch / "list.txt")) {
        fuzz::Expect(Warned(named.port) == repeated, "the warning of a file named again is wrong", context);
    }
    return 0;
}
