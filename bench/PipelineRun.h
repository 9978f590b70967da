#pragma once
// The engine's block pipeline over one raw file, as the batch job runs it.

#include <filesystem>

namespace kelvara::bench {

struct PipelineTally {
    bool opened = false;
    int blocks = 0;    // blocks of 5 records or more
    int computed = 0;  // blocks that gave a FluxResult
    long long records = 0;
    double checksum = 0.0;  // keeps the results alive for the optimiser
};

PipelineTally RunPipeline(const std::filesystem::path& file);

}  // namespace kelvara::bench
