#pragma once
// Checks made before a job creates any results file: creating one must never
// destroy one of the job's inputs.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// Whether some results name of the list (a listed raw file's name plus
// suffix) is one of the batch's inputs: a raw file of the list, the list
// itself or the range file. Checked before any results file exists, so a
// list naming "a.dat" and "a.dat.r1w" cannot have the second raw file
// replaced before it is read.
bool ListNamesAnInputAsResults(const std::filesystem::path& listPath, const std::filesystem::path& rangePath,
                               std::string_view suffix);

// The same for results names already formed (one for each raw name, in an
// output folder, say).
bool ResultsNameAnInput(const std::vector<std::string>& rawNames, const std::vector<std::string>& resultsNames,
                        const std::filesystem::path& listPath, const std::filesystem::path& rangePath);

// Whether output is one of the inputs, however spelled.
bool NamesAnInput(const std::filesystem::path& output, const std::vector<std::filesystem::path>& inputs);

}  // namespace kelvara
