#include "EachFileOnItsOwn.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "jobs/RunJob.h"

namespace kelvara::python {

bool ProcessEachFileOnItsOwn(const EachFile& each, CallPorts& ports, ResultTable& table) {
    const std::vector<std::string>& files = each.inputs.files;
    std::vector<ResultTable> tables(files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        RunJob job;  // its buffers serve every file this thread takes
        for (std::size_t i = next++; i < files.size() && !ports.Cancel().load(); i = next++) {
            const RunInputs inputs{.methods = Methods::Default,
                                   .files = {files[i]},
                                   .outputFile = (each.outputDir / std::to_string(i)).string(),
                                   .rotation = each.rotation,
                                   .input = each.inputs.input};
            job.KeepTable(&tables[i]);
            if (!job.Run(inputs, ports[each.firstPort + i], each.rangeFile)) {
                failed = true;
                ports.Cancel().store(true);
            }
        }
    };
    const std::size_t threads =
        std::max<std::size_t>(1, std::min(static_cast<std::size_t>(std::max(each.inputs.jobs, 1)), files.size()));
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    helpers.clear();  // joins
    if (failed || ports.Cancel().load()) return false;
    for (const ResultTable& part : tables) table.Append(part);
    return true;
}

}  // namespace kelvara::python
