#include "SampleGenerator.h"

#include <algorithm>
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

constexpr int kMaxExtraColumns = 8;
// A logger's record counter runs on over the files of its table.
constexpr std::int64_t kFirstRecordNumber = 111850400;
constexpr const char* kExtraTexts[2] = {"NAN", R"("OK, fine")"};

// Room one record can take: quote, stamp, quote, seven values with commas,
// status, a record number and extra columns, line end.
constexpr int kMaxRecordLength = 2 + SampleClock::kMaxStampLength + 1 + kTowerVariableCount * (kMaxFixedLength + 1) +
                                 12 + 21 + kMaxExtraColumns * 12 + 2;

// The table's columns: the time stamp, the record number, the seven values
// in the variables' order, the status.
constexpr int kTimeColumn = 0;
constexpr int kRecordColumn = 1;
constexpr int kFirstValueColumn = 2;
constexpr int kStatusColumn = kFirstValueColumn + 7;

const std::vector<std::string> kTableNames = {"TIMESTAMP", "RECORD", "Ux", "Uy",    "Uz",
                                              "co2",       "h2o",    "Ts", "press", "diag_sonic"};

struct TableShape {
    std::vector<int> order;  // TableColumn per file column
    int extraColumns = 0;
    double temperatureOffset = 0.0;  // added to Ts (K)
    double pressureScale = 1.0;      // P times this
    double co2Scale = 1.0;           // CO2 times this
    double h2oScale = 1.0;           // H2O times this
    std::string units[kStatusColumn + 1];
};

bool MakeTableShape(const SampleOptions& options, TableShape& shape) {
    const std::vector<std::string>& names = options.columnOrder.empty() ? kTableNames : options.columnOrder;
    for (const std::string& name : names) {
        const auto found = std::find(kTableNames.begin(), kTableNames.end(), name);
        if (found == kTableNames.end()) return false;
        shape.order.push_back(static_cast<int>(found - kTableNames.begin()));
    }
    std::vector<int> sorted = shape.order;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.size() != kTableNames.size() || std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        return false;
    }
    shape.extraColumns = options.extraColumns;
    const std::string units[] = {"TS", "RN", "m/s", "m/s", "m/s", "mg/m^3", "g/m^3", "C", "kPa", "unitless"};
    std::copy(std::begin(units), std::end(units), shape.units);
    if (options.temperatureUnit == "K") {
        shape.temperatureOffset = 273.15;
        shape.units[kFirstValueColumn + kTowerTs] = "K";
    } else if (options.temperatureUnit != "C") {
        return false;
    }
    if (options.pressureUnit == "Pa" || options.pressureUnit == "hPa") {
        shape.pressureScale = options.pressureUnit == "Pa" ? 1000.0 : 10.0;
        shape.units[kFirstValueColumn + kTowerP] = options.pressureUnit;
    } else if (options.pressureUnit != "kPa") {
        return false;
    }
    if (options.gasInMillimoles) {
        shape.co2Scale = 1.0 / 44.0095;
        shape.h2oScale = 1.0 / 0.01801528;
        shape.units[kFirstValueColumn + kTowerCO2] = "mmol/m^3";
        shape.units[kFirstValueColumn + kTowerH2O] = "mmol/m^3";
    }
    return options.extraColumns >= 0 && options.extraColumns <= kMaxExtraColumns;
}

std::string TableHeaderLine(const TableShape& shape, int line) {
    std::string text = line == 0 ? R"("TABLE","6843","LOGGER","6843","OS.22","CPU:FLUX.PRG","24006","ts_Above")" : "";
    if (line == 0) return text;
    const auto add = [&](const std::string& field) { text += (text.empty() ? "\"" : ",\"") + field + "\""; };
    for (const int column : shape.order) {
        if (line == 1) add(kTableNames[static_cast<std::size_t>(column)]);
        if (line == 2) add(shape.units[column]);
        if (line == 3) add(column <= kRecordColumn ? "" : "Smp");
    }
    for (int extra = 0; extra < shape.extraColumns; ++extra) {
        if (line == 1) add("extra_" + std::to_string(extra + 1));
        if (line == 2) add("unitless");
        if (line == 3) add("Smp");
    }
    return text;
}

constexpr std::size_t kChunkSize = std::size_t{1} << 20;

constexpr double kMaxHours = 24.0 * 366.0 * 10.0;
constexpr double kMaxLagSeconds = 60.0;
constexpr double kMaxTrend = 10.0;

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
void WriteLine(Writer& writer, const std::string& line, const char* lineEnd, std::size_t lineEndLength) {
    char* out = writer.Reserve(line.size() + lineEndLength);
    std::char_traits<char>::copy(out, line.data(), line.size());
    std::char_traits<char>::copy(out + line.size(), lineEnd, lineEndLength);
    writer.Commit(line.size() + lineEndLength);
}

template <class Writer>
void WriteHeader(Writer& writer, const TableShape* table, const char* lineEnd, std::size_t lineEndLength) {
    if (table != nullptr) {
        for (int line = 0; line < 4; ++line) WriteLine(writer, TableHeaderLine(*table, line), lineEnd, lineEndLength);
        return;
    }
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

int FormatTableRecord(char* out, const TableShape& shape, const SampleClock& clock, const TowerSample& sample,
                      int status, std::int64_t recordNumber, const char* lineEnd, int lineEndLength) {
    int length = 0;
    for (std::size_t i = 0; i < shape.order.size(); ++i) {
        if (i > 0) out[length++] = ',';
        const int column = shape.order[i];
        if (column == kTimeColumn) {
            out[length++] = '"';
            length += clock.WriteStamp(out + length);
            out[length++] = '"';
        } else if (column == kRecordColumn) {
            length += WriteInteger(out + length, recordNumber);
        } else if (column == kStatusColumn) {
            length += WriteInteger(out + length, status);
        } else {
            const int v = column - kFirstValueColumn;
            double value = sample.value[v];
            if (v == kTowerTs) value += shape.temperatureOffset;
            if (v == kTowerP) value *= shape.pressureScale;
            if (v == kTowerCO2) value *= shape.co2Scale;
            if (v == kTowerH2O) value *= shape.h2oScale;
            // Converted units keep more decimals, as loggers write them.
            const bool converted = value != sample.value[v];
            length += WriteFixed(out + length, value, converted ? 5 : kDecimals[v]);
        }
    }
    for (int extra = 0; extra < shape.extraColumns; ++extra) {
        out[length++] = ',';
        const char* text = kExtraTexts[extra % 2];
        const int size = static_cast<int>(std::char_traits<char>::length(text));
        std::char_traits<char>::copy(out + length, text, static_cast<std::size_t>(size));
        length += size;
    }
    for (int i = 0; i < lineEndLength; ++i) out[length++] = lineEnd[i];
    return length;
}

// Writes the whole file to the sink. Options must have been checked.
template <class Sink>
void Generate(const SampleOptions& options, Sink& sink) {
    ChunkWriter<Sink> writer(sink);
    const char* lineEnd = options.crlf ? "\r\n" : "\n";
    const int lineEndLength = options.crlf ? 2 : 1;
    TableShape shape;
    if (options.table) MakeTableShape(options, shape);
    WriteHeader(writer, options.table ? &shape : nullptr, lineEnd, static_cast<std::size_t>(lineEndLength));

    CivilTime start;
    ParseCivilTime(options.start, start);
    SampleClock clock(start, options.hz);
    TowerShape tower;
    tower.co2LagRecords = static_cast<int>(std::lround(options.co2LagSeconds * options.hz));
    tower.h2oLagRecords = static_cast<int>(std::lround(options.h2oLagSeconds * options.hz));
    tower.stable = options.stable;
    tower.trend = options.trend;
    TowerModel model(options.seed, options.hz, tower);
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
        const int status = faults.badStatus ? faults.status : 0;
        const int length = options.table ? FormatTableRecord(out, shape, clock, sample, status, kFirstRecordNumber + i,
                                                             lineEnd, lineEndLength)
                                         : FormatRecord(out, clock, sample, status, lineEnd, lineEndLength);
        writer.Commit(static_cast<std::size_t>(length));
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

const std::vector<std::string>& TableColumnNames() { return kTableNames; }

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
    const auto isLag = [](double seconds) { return seconds >= 0.0 && seconds <= kMaxLagSeconds; };
    if (!isLag(options.co2LagSeconds) || !isLag(options.h2oLagSeconds)) {
        return "The gas lags must be between 0 and 60 seconds.";
    }
    if (!(std::fabs(options.trend) <= kMaxTrend)) return "The trend must be between -10 and 10 m/s.";
    TableShape shape;
    if (options.table && !MakeTableShape(options, shape)) {
        return "The table needs each of TIMESTAMP, RECORD, Ux, Uy, Uz, co2, h2o, Ts, press, diag_sonic once, "
               "at most 8 extra columns, Ts in C or K, press in kPa, Pa or hPa.";
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
