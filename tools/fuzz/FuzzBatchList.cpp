// libFuzzer target: the batch over a list built from the input. A scratch
// folder holds a few raw files (one of them from the input's bytes, some
// named like another's results, a link, a folder) and a list naming any of
// them, in any order, with either line end. Whatever the list:
//   - no input (the list, a listed raw file) changes;
//   - the batch shows exactly one message, and finishes exactly when it is
//     "Processing Finished!" or the box that says why no fluxes came;
//   - after "Processing Finished!" every listed name has its results file.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "FuzzPort.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"
#include "io/ResultsFile.h"
#include "jobs/BatchJob.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

// The names a list line can take. Relative names are read from the current
// folder, which is the scratch folder while the batch runs.
constexpr std::array<std::string_view, 11> kNames = {
    "a.dat",         // raw records
    "b.dat",         // header lines only
    "c.dat",         // header lines and the input's bytes
    "a.dat.r1w",     // a raw file named like a.dat's results (2-axis)
    "c.dat.rfw",     // a raw file named like c.dat's results (planar fit)
    "alias.dat",     // a link to a.dat.r1w
    "missing.dat",   // no such file
    "",              // an empty line is an empty name
    "list.txt",      // the list itself
    "sub",           // a folder
    "sub/../b.dat",  // b.dat spelled otherwise
};

void BuildFolder(const fuzz::ScratchFolder& scratch, std::string_view rawBytes) {
    scratch.Clear();
    // Two half hours of ten records each, and one record of a third.
    static const std::string tower = std::string(fuzz::kRawHeader) + fuzz::TowerRecords(10, 20, 21);
    fuzz::WriteFile(scratch / "a.dat", tower);
    fuzz::WriteFile(scratch / "b.dat", fuzz::kRawHeader);
    fuzz::WriteFile(scratch / "c.dat", std::string(fuzz::kRawHeader) + std::string(rawBytes));
    fuzz::WriteFile(scratch / "a.dat.r1w", tower);
    fuzz::WriteFile(scratch / "c.dat.rfw", tower);
    fs::create_symlink("a.dat.r1w", scratch / "alias.dat");
    fs::create_directory(scratch / "sub");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("batch-list");
    FuzzedDataProvider input(data, size);
    const bool planarFit = input.ConsumeBool();
    const bool crlf = input.ConsumeBool();
    bool finalLineEnd = input.ConsumeBool();
    const bool absoluteNames = input.ConsumeBool();
    std::vector<std::string> names(input.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (std::string& name : names) {
        name = kNames[input.ConsumeIntegralInRange<std::size_t>(0, kNames.size() - 1)];
        if (absoluteNames && !name.empty()) name = (scratch / name).string();
    }
    // An empty last name is a line only with its line end.
    if (!names.empty() && names.back().empty()) finalLineEnd = true;
    BuildFolder(scratch, input.ConsumeRemainingBytesAsString());

    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += names[i];
        if (i + 1 < names.size() || finalLineEnd) list += crlf ? "\r\n" : "\n";
    }
    fuzz::WriteFile(scratch / "list.txt", list);

    // The inputs as they were: the list and every listed file.
    auto located = [](const std::string& name) { return scratch / name; };  // absolute names stay as they are
    std::map<fs::path, std::string> inputs{{scratch / "list.txt", list}};
    for (const std::string& name : names) {
        if (auto bytes = fuzz::ReadFile(located(name))) inputs[located(name)] = std::move(*bytes);
    }

    const BatchInputs batch{
        .listFile = absoluteNames ? (scratch / "list.txt").string() : "list.txt",
        .rotation = planarFit ? RotationInputs{Rotation::PlanarFit, "0.05", "0.02", "-0.03", {}} : RotationInputs{}};
    fuzz::MessagePort port;
    bool finished;
    {
        const fuzz::WorkingFolder inScratch(scratch.Path());
        // One job for the process, as the batch dialog holds one for its
        // lifetime: no press may depend on the ones before it. (It also
        // spares allocating and clearing the job's block buffer each run.)
        static BatchJob* const job = new BatchJob;
        finished = job->Run(batch, port) == BatchJob::End::Finished;
    }

    const std::string context = "list \"" + fuzz::Escaped(list) + "\"" + (planarFit ? ", planar fit" : ", 2-axis");
    for (const auto& [file, bytes] : inputs) {
        fuzz::Expect(fuzz::ReadFile(file) == bytes, "the batch changed an input",
                     file.filename().string() + " changed; " + context + "; messages " + port.Texts());
    }
    fuzz::Expect(port.messages.size() == 1, "the batch did not show exactly one message",
                 context + "; messages " + port.Texts());
    fuzz::Expect(finished == port.OnlyFinishedOrNoFluxes(), "the batch's result disagrees with its message",
                 context + "; messages " + port.Texts());
    if (finished) {
        const std::string suffix(ResultsSuffix(planarFit ? Rotation::PlanarFit : Rotation::TwoAxis));
        const std::string header = std::string(kResultsHeader) + "\r\n";
        for (const std::string& name : names) {
            const auto results = fuzz::ReadFile(located(name + suffix));
            fuzz::Expect(results && results->starts_with(header), "\"Processing Finished!\" without a results file",
                         "no results for \"" + name + "\"; " + context);
        }
    }
    return 0;
}
