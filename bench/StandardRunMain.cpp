// kelvara-standard: a development driver of the standard-methods jobs, with
// the command line of tools/oracle/standard_oracle.py, so that the two can be
// compared over the same files before kelvara-cli carries the mode.
//
//   kelvara-standard run FILE... --output OUT [--planar-fit B0 B1 B2] [--range-file PATH]
//   kelvara-standard batch LIST [--planar-fit B0 B1 B2] [--range-file PATH]
//
// Messages go to stderr as "title: text"; the exit status is 0 after
// "Processing Finished!", 1 after any other message, 2 for a bad command line.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/BatchJob.h"
#include "jobs/JobPort.h"
#include "jobs/RunJob.h"

namespace {

using namespace kelvara;

class MessagePort : public JobPort {
public:
    void ShowMessage(std::string_view text, std::string_view title, MessageIcon) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
    void ExplainFailure(std::string_view file, std::string_view reason) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(file.size()), file.data(),
                     static_cast<int>(reason.size()), reason.data());
    }
};

struct CommandLine {
    std::string command;
    std::vector<std::string> files;
    std::string output;
    bool outputGiven = false;
    std::optional<std::filesystem::path> rangeFile;
    RotationInputs rotation;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: kelvara-standard run FILE... --output OUT [--planar-fit B0 B1 B2] [--range-file PATH]\n"
                 "       kelvara-standard batch LIST [--planar-fit B0 B1 B2] [--range-file PATH]\n");
    return 2;
}

// The texts after --planar-fit are taken as they stand (they may start
// with a minus sign).
bool Parse(int argc, char** argv, CommandLine& line) {
    if (argc < 2) return false;
    line.command = argv[1];
    if (line.command != "run" && line.command != "batch") return false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view token = argv[i];
        if (token == "--planar-fit") {
            if (i + 3 >= argc) return false;
            line.rotation = RotationInputs{Rotation::PlanarFit, argv[i + 1], argv[i + 2], argv[i + 3]};
            i += 3;
        } else if (token == "--output") {
            if (++i >= argc) return false;
            line.output = argv[i];
            line.outputGiven = true;
        } else if (token == "--range-file") {
            if (++i >= argc) return false;
            line.rangeFile = std::filesystem::path(argv[i]);
        } else {
            line.files.emplace_back(token);
        }
    }
    if (line.files.empty()) return false;
    if (line.command == "run") return line.outputGiven;
    return line.files.size() == 1 && !line.outputGiven;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (!Parse(argc, argv, line)) return Usage();
    MessagePort port;
    if (line.command == "run") {
        const RunInputs inputs{
            .methods = Methods::Standard, .files = line.files, .outputFile = line.output, .rotation = line.rotation};
        return RunJob().Run(inputs, port, line.rangeFile) ? 0 : 1;
    }
    const BatchInputs inputs{.methods = Methods::Standard, .listFile = line.files.front(), .rotation = line.rotation};
    return BatchJob().Run(inputs, port, line.rangeFile) == BatchJob::End::Finished ? 0 : 1;
}
