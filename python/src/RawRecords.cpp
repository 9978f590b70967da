#include "RawRecords.h"

#include "Failures.h"
#include "io/ColumnLayout.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/RawStream.h"
#include "io/StampedRecord.h"
#include "jobs/FileColumns.h"
#include "jobs/JobMessages.h"
#include "jobs/StreamOrder.h"

namespace kelvara::python {

namespace {

// Records between two looks at the cancel flag and the bytes read.
constexpr std::int64_t kRecordsBetweenLooks = 65536;

[[noreturn]] void Fail(const JobMessage& message, const std::string& file, const std::string& reason) {
    ThrowFailure({std::string(message.text), std::string(message.title), file, reason});
}

ColumnLayout LayoutOf(const std::string& file, const std::filesystem::path& path, const InputFormat& format) {
    ColumnLayout layout;
    std::string description;
    std::string problem;
    switch (ResolveFileColumns(path, format, layout, description, problem)) {
        case ColumnCheck::Resolved:
            return layout;
        case ColumnCheck::Refused:
            Fail({file + ": " + problem, kColumnsRefusedTitle}, "", "");
        case ColumnCheck::CannotOpen:
            Fail(messages::batch::kCannotOpenRaw, file, ReasonCannotRead(path));
        case ColumnCheck::ReadFailed:
            break;
    }
    Fail(messages::kCannotReadRaw, file, problem);
}

void Append(RawColumns& columns, const StampedRecord& record) {
    columns.time.push_back(record.time);
    for (int v = 0; v < kVariableCount; ++v) columns.value[v].push_back(record.value[v]);
    columns.status.push_back(record.status);
}

}  // namespace

RawColumns ReadRawColumns(const std::string& file, const InputFormat& format, const std::atomic<bool>& cancel,
                          std::atomic<std::int64_t>& bytesRead) {
    const std::filesystem::path path = PathFromText(file);
    const JobMessage& cannotOpen = messages::batch::kCannotOpenRaw;
    if (IsSpecialFile(path) || !IsReadableFile(path)) Fail(cannotOpen, file, ReasonCannotRead(path));
    const ColumnLayout layout = LayoutOf(file, path, format);
    RawStream stream;
    if (!stream.Open(path)) Fail(cannotOpen, file, ReasonCannotRead(path));
    for (int line = 0; line < kHeaderLineCount; ++line) stream.SkipLine();
    StampedRecordReader reader;
    reader.Restart();
    RawColumns columns;
    StampedRecord record;
    for (std::int64_t count = 1; !cancel.load(std::memory_order_relaxed); ++count) {
        const StampedRecordReader::Next next = reader.Read(stream, layout, record);
        if (next == StampedRecordReader::Next::End) break;
        if (next == StampedRecordReader::Next::BadTime) {
            Fail(messages::kBadTimeStamp, file, BadTimeStampReason(reader.Line(), reader.TimeText()));
        }
        Append(columns, record);
        if (count % kRecordsBetweenLooks == 0) bytesRead.store(stream.Consumed(), std::memory_order_relaxed);
    }
    if (stream.Failed()) Fail(messages::kCannotReadRaw, file, SystemErrorText(stream.ReadError()));
    bytesRead.store(stream.Consumed(), std::memory_order_relaxed);
    return columns;
}

}  // namespace kelvara::python
