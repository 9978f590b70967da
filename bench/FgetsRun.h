#pragma once
// The plainest C reader of the same file: fgets, then atof and atoi on each
// field. The yardstick the pipeline's reading speed is measured against.

#include <filesystem>

namespace kelvara::bench {

struct FgetsTally {
    bool opened = false;
    long long records = 0;
    double sum = 0.0;  // every value and status added up, so no parse is optimised away
};

FgetsTally RunFgets(const std::filesystem::path& file);

}  // namespace kelvara::bench
