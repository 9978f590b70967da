#include "Commands.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "AppendJob.h"
#include "BatchJob.h"
#include "FileNames.h"
#include "SingleRunJob.h"

namespace kelvara::cli {

namespace {

int ExitStatus(bool finished) { return finished ? kJobFinishedExitStatus : kJobFailedExitStatus; }

bool CanOpenForReading(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return false;
    std::ifstream probe(file, std::ios::binary);
    return probe.is_open();
}

// The user named the range file, so a file that cannot be read is an error
// rather than a silent fall back to the built-in limits.
bool ResolveRangeFile(const CommandLine& commandLine, std::FILE* errors,
                      std::optional<std::filesystem::path>& rangeFile) {
    if (!commandLine.rangeFile) return true;
    const std::filesystem::path path = PathFromText(*commandLine.rangeFile);
    if (!CanOpenForReading(path)) {
        std::fprintf(errors, "kelvara-cli: cannot read the range file \"%s\"\n",
                     commandLine.rangeFile->c_str());
        return false;
    }
    rangeFile = path;
    return true;
}

template <typename Inputs>
void SetRotation(const CommandLine& commandLine, Inputs& inputs) {
    if (!commandLine.planarFit.Given()) return;
    inputs.rotationChoice = 1;
    inputs.b0Text = commandLine.planarFit.coefficients[0];
    inputs.b1Text = commandLine.planarFit.coefficients[1];
    inputs.b2Text = commandLine.planarFit.coefficients[2];
}

int RunSingle(const CommandLine& commandLine, JobPort& port,
              const std::optional<std::filesystem::path>& rangeFile) {
    SingleRunInputs inputs;
    inputs.firstFile = commandLine.firstFile;
    inputs.secondFile = commandLine.secondFile;
    inputs.outputFile = commandLine.outputFile;
    SetRotation(commandLine, inputs);
    SingleRunJob job;
    return ExitStatus(job.Run(inputs, port, rangeFile));
}

int RunBatch(const CommandLine& commandLine, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile) {
    BatchInputs inputs;
    inputs.listFile = commandLine.listFile;
    SetRotation(commandLine, inputs);
    BatchJob job;
    return ExitStatus(job.Run(inputs, port, rangeFile));
}

int RunAppend(const CommandLine& commandLine, JobPort& port) {
    AppendInputs inputs;
    inputs.headLinesText = commandLine.headLinesText;
    inputs.outputFile = commandLine.appendOutput;
    for (std::size_t slot = 0; slot < commandLine.appendFiles.size() && slot < inputs.files.size();
         ++slot) {
        inputs.files[slot] = commandLine.appendFiles[slot];
    }
    return ExitStatus(RunAppendJob(inputs, port));
}

}  // namespace

int RunCommand(const CommandLine& commandLine, JobPort& port, std::FILE* errors) {
    if (commandLine.command == Command::Append) return RunAppend(commandLine, port);
    std::optional<std::filesystem::path> rangeFile;
    if (!ResolveRangeFile(commandLine, errors, rangeFile)) return kJobFailedExitStatus;
    if (commandLine.command == Command::Batch) return RunBatch(commandLine, port, rangeFile);
    return RunSingle(commandLine, port, rangeFile);
}

}  // namespace kelvara::cli
