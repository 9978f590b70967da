#include "SampleGenerator.h"

#include <cmath>
#include <fstream>
#include <memory>

#include "SampleClock.h"
#include "SampleFaults.h"
#include "SampleText.h"
#include "TowerModel.h"

namespace kelvara::samples {

namespace {

// A logger-style (TOA5) header: four lines, each well under 100 characters.
constexpr const char* kHeaderLines[4] = {
    R"("TOA5","KelvaraTower","CR3000","2741","CR3000.Std.32","CPU:ec_flux.CR3","40127","ts_data")",
    R"("TIMESTAMP","Ux","Uy","Uz","co2","h2o","Ts","press","diag")",
    R"("TS","m/s","m/s","m/s","mg/m^3","g/m^3","C","kPa","unitless")",
    R"("","Smp","Smp","Smp","Smp","Smp","Smp","Smp","Smp")",
};

// Decimals per column, as the logger's output table writes them.
constexpr int kDecimals[kTowerVariableCount] = {3, 3, 3, 2, 3, 2, 2};

// Room one record can take: quote, stamp, quote, seven values with commas,
// status, line end.
constexpr int kMaxRecordLength =
    2 + SampleClock::kMaxStampLength + 1 + kTowerVariableCount * (kMaxFixedLength + 1) + 12 + 2;

constexpr std::size_t kChunkSize = std::size_t{1} << 20;

constexpr double kMaxHours = 24.0 * 366.0 * 10.0;

bool IsRate(double rate) { return rate >= 0.0 && rate <= 1.0; }

// Fills a large buffer with text and hands it to the sink in chunks.
template <class Sink>
class ChunkWriter {
public:
    explicit ChunkWriter(Sink& sink) : sink_(sink), buffer_(new char[kChunkSize]) {}

    // Room for at least 'size' more characters; flushes when needed.
    char* Reserve(std::size_t size) {
        if (kChunkSize - used_ < size) Flush();
        return buffer_.get() + used_;
    }
    void Commit(std::size_t size) { used_ += size; }

    void Flush() {
        if (used_ > 0) sink_.Write(buffer_.get(), used_);
        used_ = 0;
    }

private:
    Sink& sink_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

template <class Writer>
void WriteHeader(Writer& writer, const char* lineEnd, std::size_t lineEndLength) {
    for (const char* line : kHeaderLines) {
        const std::size_t length = std::char_traits<char>::length(line);
        char* out = writer.Reserve(length + lineEndLength);
        std::char_traits<char>::copy(out, line, length);
        std::char_traits<char>::copy(out + length, lineEnd, lineEndLength);
        writer.Commit(length + lineEndLength);
    }
}

int FormatRecord(char* out, const SampleClock& clock, const TowerSample& sample, int status, const char* lineEnd,
                 int lineEndLength) {
    int length = 0;
    out[length++] = '"';
    length += clock.WriteStamp(out + length);
    out[length++] = '"';
    out[length++] = ',';
    for (int v = 0; v < kTowerVariableCount; ++v) {
        length += WriteFixed(out + length, sample.value[v], kDecimals[v]);
        out[length++] = ',';
    }
    length += WriteInteger(out + length, status);
    for (int i = 0; i < lineEndLength; ++i) out[length++] = lineEnd[i];
    return length;
}

// Writes the whole file to the sink. Options must have been checked.
template <class Sink>
void Generate(const SampleOptions& options, Sink& sink) {
    ChunkWriter<Sink> writer(sink);
    const char* lineEnd = options.crlf ? "\r\n" : "\n";
    const int lineEndLength = options.crlf ? 2 : 1;
    WriteHeader(writer, lineEnd, static_cast<std::size_t>(lineEndLength));

    CivilTime start;
    ParseCivilTime(options.start, start);
    SampleClock clock(start, options.hz);
    TowerModel model(options.seed, options.hz);
    FaultInjector injector(options.seed, options);
    TowerSample sample;
    RecordFaults faults;

    const std::int64_t records = PlannedRecordCount(options);
    for (std::int64_t i = 0; i < records; ++i, clock.Advance()) {
        // The signal runs on through a gap, as the weather does.
        model.Step(clock.HourOfDay(), clock.AtWholeSecond(), sample);
        injector.Draw(faults);
        if (faults.gap) continue;
        FaultInjector::Apply(faults, sample);
        char* out = writer.Reserve(kMaxRecordLength);
        writer.Commit(static_cast<std::size_t>(
            FormatRecord(out, clock, sample, faults.badStatus ? faults.status : 0, lineEnd, lineEndLength)));
    }
    writer.Flush();
}

struct StringSink {
    std::string* text;
    void Write(const char* data, std::size_t size) { text->append(data, size); }
};

struct FileSink {
    std::ofstream* stream;
    void Write(const char* data, std::size_t size) { stream->write(data, static_cast<std::streamsize>(size)); }
};

}  // namespace

std::string CheckSampleOptions(const SampleOptions& options) {
    CivilTime start;
    if (!ParseCivilTime(options.start, start)) {
        return "The start time \"" + options.start + "\" is not a valid \"YYYY-MM-DD hh:mm:ss\".";
    }
    if (options.hz != 10 && options.hz != 20) return "The sampling rate must be 10 or 20 Hz.";
    if (!(options.hours >= 0.0 && options.hours <= kMaxHours)) {
        return "The length in hours must be between 0 and 87840.";
    }
    if (!IsRate(options.spikeRate) || !IsRate(options.badStatusRate) || !IsRate(options.outOfRangeRate) ||
        !IsRate(options.gapRate)) {
        return "Every rate must be between 0 and 1.";
    }
    return {};
}

std::int64_t PlannedRecordCount(const SampleOptions& options) {
    if (!CheckSampleOptions(options).empty()) return 0;
    return std::llround(options.hours * 3600.0 * options.hz);
}

std::string MakeRawSample(const SampleOptions& options) {
    std::string text;
    if (!CheckSampleOptions(options).empty()) return text;
    text.reserve(static_cast<std::size_t>(PlannedRecordCount(options)) * 80 + 512);
    StringSink sink{&text};
    Generate(options, sink);
    return text;
}

bool WriteRawSample(const std::filesystem::path& file, const SampleOptions& options) {
    if (!CheckSampleOptions(options).empty()) return false;
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (!stream) return false;
    FileSink sink{&stream};
    Generate(options, sink);
    stream.close();
    return !stream.fail();
}

}  // namespace kelvara::samples
