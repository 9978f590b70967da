#include "jobs/InputGuard.h"

#include <cstdint>
#include <map>
#include <string>
#include <system_error>

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara {

// Only files of equal size can be one file, which keeps this quick for long
// lists.
bool ResultsNameAnInput(const std::vector<std::string>& rawNames, const std::vector<std::string>& resultsNames,
                        const std::filesystem::path& listPath, const std::filesystem::path& rangePath) {
    std::multimap<std::uintmax_t, std::filesystem::path> inputsBySize;
    const auto addInput = [&](const std::filesystem::path& input) {
        std::error_code error;
        const auto size = std::filesystem::file_size(input, error);
        if (!error) inputsBySize.emplace(size, input);
    };
    for (const std::string& raw : rawNames) addInput(PathFromText(raw));
    addInput(listPath);
    addInput(rangePath);
    for (const std::string& name : resultsNames) {
        const auto results = PathFromText(name);
        std::error_code error;
        const auto size = std::filesystem::file_size(results, error);
        if (error) continue;  // not there yet: nothing to destroy
        const auto [first, last] = inputsBySize.equal_range(size);
        for (auto input = first; input != last; ++input) {
            if (IsSameFile(results, input->second)) return true;
        }
    }
    return false;
}

bool NamesAnInput(const std::filesystem::path& output, const std::vector<std::filesystem::path>& inputs) {
    for (const auto& input : inputs) {
        if (IsSameFile(output, input)) return true;
    }
    return false;
}

}  // namespace kelvara
