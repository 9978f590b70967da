#include "FgetsRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kelvara::bench {

namespace {

constexpr int kHeaderLines = 4;
constexpr int kValueCount = 7;

// Past the time stamp: the first comma ends it.
double ParseRecord(const char* line) {
    const char* field = std::strchr(line, ',');
    if (field == nullptr) return 0.0;
    double sum = 0.0;
    for (int v = 0; v < kValueCount; ++v) {
        ++field;
        sum += std::atof(field);
        field = std::strchr(field, ',');
        if (field == nullptr) return sum;
    }
    return sum + std::atoi(field + 1);
}

}  // namespace

FgetsTally RunFgets(const std::filesystem::path& file) {
    FgetsTally tally;
    std::FILE* stream = std::fopen(file.string().c_str(), "rb");
    if (stream == nullptr) return tally;
    tally.opened = true;
    char line[256];
    for (int i = 0; i < kHeaderLines && std::fgets(line, sizeof line, stream) != nullptr; ++i) {
    }
    while (std::fgets(line, sizeof line, stream) != nullptr) {
        tally.sum += ParseRecord(line);
        ++tally.records;
    }
    std::fclose(stream);
    return tally;
}

}  // namespace kelvara::bench
