#pragma once
// Checks made before a job creates any results file: creating one must never
// destroy one of the job's inputs.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// Whether some results name (one for each raw name of a batch, beside it or
// in an output folder) is one of the batch's inputs: a raw file of the list,
// the list itself or the range file. Checked before any results file
// exists, so a list naming "a.dat" and "a.dat.r1w" cannot have the second
// raw file replaced before it is read.
bool ResultsNameAnInput(const std::vector<std::string>& rawNames, const std::vector<std::string>& resultsNames,
                        const std::filesystem::path& listPath, const std::filesystem::path& rangePath);

// Whether output is one of the inputs, however spelled.
bool NamesAnInput(const std::filesystem::path& output, const std::vector<std::filesystem::path>& inputs);

}  // namespace kelvara
