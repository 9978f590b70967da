#include "AppendJob.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/NumberText.h"
#include "jobs/JobMessages.h"
#include "TextModeReader.h"
#include "TextModeWriter.h"

namespace kelvara {

namespace {

// A head line is copied as fgets into 1000 characters reads it, skipped as
// fgets into 500 reads it; the data part moves in pieces of up to 9999.
constexpr std::size_t kHeadLineLimit = 999;
constexpr std::size_t kSkipLineLimit = 499;
constexpr std::size_t kPieceLimit = 9999;
constexpr std::size_t kStreamBlockSize = 64 * 1024;

// All the memory one job needs, taken once per job and never per line.
struct AppendBuffers {
    std::array<char, kHeadLineLimit> line;
    std::array<char, kPieceLimit> piece;
    std::array<char, kStreamBlockSize> input;
    std::array<char, kStreamBlockSize> output;
};

using namespace messages::append;

// Shows the message and ends the job as failed.
bool Stop(JobPort& port, const JobMessage& message) {
    Show(port, message);
    return false;
}

// A failure that concerns one file: the system's reason goes first.
bool StopOnFile(JobPort& port, const JobMessage& message, const std::string& file, const std::string& reason) {
    port.ExplainFailure(file, reason);
    return Stop(port, message);
}

// The first named input that cannot be read, or nullptr.
const std::string* FirstUnreadableInput(const AppendInputs& inputs) {
    for (const std::string& file : inputs.files) {
        if (!file.empty() && !IsReadableFile(PathFromText(file))) return &file;
    }
    return nullptr;
}

bool OutputIsAnInput(const std::filesystem::path& output, const AppendInputs& inputs) {
    for (const std::string& file : inputs.files) {
        if (!file.empty() && IsSameFile(output, PathFromText(file))) return true;
    }
    return false;
}

// Each line goes out without its line feed and with a line end of its own,
// so a line cut at the limit still ends its output line. A file with fewer
// lines gives the lines it has.
void CopyHeadLines(TextModeReader& reader, TextModeWriter& writer, int count, char* line) {
    for (int i = 0; i < count && !writer.Failed(); ++i) {
        std::size_t length = reader.ReadLine(line, kHeadLineLimit);
        if (length == 0) return;
        if (line[length - 1] == '\n') --length;
        writer.Write(line, length);
        writer.WriteLineEnd();
    }
}

void SkipHeadLines(TextModeReader& reader, int count, char* line) {
    for (int i = 0; i < count; ++i) {
        if (reader.ReadLine(line, kSkipLineLimit) == 0) return;
    }
}

void CopyData(TextModeReader& reader, TextModeWriter& writer, char* piece) {
    while (!writer.Failed() && !reader.AtEnd()) {
        const std::size_t length = reader.ReadPiece(piece, kPieceLimit);
        writer.Write(piece, length);
    }
}

enum class SlotResult { Copied, CannotOpen, ReadFailed, WriteFailed };

SlotResult AppendSlot(const std::string& file, int headLines, bool& headWritten, TextModeReader& reader,
                      TextModeWriter& writer, AppendBuffers& buffers) {
    if (!reader.Open(PathFromText(file))) return SlotResult::CannotOpen;
    if (!headWritten) {
        CopyHeadLines(reader, writer, headLines, buffers.line.data());
        headWritten = true;
    } else {
        SkipHeadLines(reader, headLines, buffers.line.data());
    }
    CopyData(reader, writer, buffers.piece.data());
    // A failed read keeps its reason until the next file is opened.
    if (reader.ReadError() != 0) return SlotResult::ReadFailed;
    reader.Close();
    return writer.Failed() ? SlotResult::WriteFailed : SlotResult::Copied;
}

}  // namespace

bool RunAppendJob(const AppendInputs& inputs, JobPort& port) {
    if (inputs.headLinesText.empty()) return Stop(port, kNoHeadLines);
    // Zero or negative: no line is a head line.
    const int headLines = AtoiText(inputs.headLinesText);
    if (inputs.outputFile.empty()) return Stop(port, messages::kNoOutputFile);
    // Checked before the output exists, so a failure leaves nothing behind.
    if (const std::string* unreadable = FirstUnreadableInput(inputs)) {
        return StopOnFile(port, kCannotOpenInput, *unreadable, ReasonCannotRead(PathFromText(*unreadable)));
    }
    const std::filesystem::path output = PathFromText(inputs.outputFile);
    if (OutputIsAnInput(output, inputs)) return Stop(port, messages::kOutputIsInput);

    auto buffers = std::make_unique<AppendBuffers>();
    TextModeWriter writer(buffers->output);
    const auto writeFailure = [&]() { return SystemErrorText(writer.LastError()); };
    if (!writer.Create(output)) return StopOnFile(port, kCannotOpenOutput, inputs.outputFile, writeFailure());
    // After a failure the output stays as it was; what was written goes beside it.
    const auto keepPartial = [&] {
        const std::string partial = inputs.outputFile + ".partial";
        if (writer.KeepPartial(PathFromText(partial))) port.ExplainPartialResults(inputs.outputFile, partial);
    };
    TextModeReader reader(buffers->input);
    bool headWritten = false;
    for (const std::string& file : inputs.files) {
        if (file.empty()) continue;
        const SlotResult result = AppendSlot(file, headLines, headWritten, reader, writer, *buffers);
        if (result == SlotResult::CannotOpen) {
            // Opened a moment ago by the check: it went away since.
            port.ExplainFailure(file, ReasonCannotRead(PathFromText(file)));
            keepPartial();
            return Stop(port, kCannotOpenInput);
        }
        if (result == SlotResult::ReadFailed) {
            port.ExplainFailure(file, SystemErrorText(reader.ReadError()));
            keepPartial();
            return Stop(port, kCannotReadInput);
        }
        if (result == SlotResult::WriteFailed) break;
    }
    if (!writer.Close()) {
        port.ExplainFailure(inputs.outputFile, writeFailure());
        keepPartial();
        return Stop(port, messages::kCannotWriteOutput);
    }
    Show(port, messages::kFinished);
    return true;
}

}  // namespace kelvara
