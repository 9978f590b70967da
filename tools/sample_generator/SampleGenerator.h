#pragma once
// Deterministic synthetic raw data files that look like a real flux tower's.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvara::samples {

struct SampleOptions {
    std::uint64_t seed = 1;
    std::string start = "2024-06-01 00:00:00";  // "YYYY-MM-DD hh:mm:ss"
    double hours = 1.0;
    int hz = 10;                  // 10 or 20
    bool crlf = true;             // CR LF line ends, else LF
    double spikeRate = 0.0;       // fraction of records with a spike in one variable
    double badStatusRate = 0.0;   // fraction of records with a status outside 0..13
    double outOfRangeRate = 0.0;  // fraction of records with a value outside the default limits
    double gapRate = 0.0;         // fraction of records left out

    // A field logger's table instead of the default layout: four header
    // lines that name the columns and give their units, and a record-number
    // column. The records hold the same values as the default layout's.
    bool table = false;
    // The table's columns in order, from TIMESTAMP, RECORD, Ux, Uy, Uz, co2,
    // h2o, Ts, press, diag_sonic; empty for that order.
    std::vector<std::string> columnOrder;
    int extraColumns = 0;               // after the status: a NAN and a quoted text in turn (0 to 8)
    std::string temperatureUnit = "C";  // C or K
    std::string pressureUnit = "kPa";   // kPa, Pa or hPa
    bool gasInMillimoles = false;       // CO2 and H2O in mmol/m^3

    // For the corrections: the gas analyser's delays behind the sonic in
    // seconds (0 to 60, whole records), a downward heat flux all day, and a
    // trend that restarts every half hour (TowerShape says which).
    double co2LagSeconds = 0.0;
    double h2oLagSeconds = 0.0;
    bool stable = false;
    double trend = 0.0;
};

// The table's column names, in the logger's own order.
const std::vector<std::string>& TableColumnNames();

// Empty when the options can be used, else a sentence naming the problem
// (start not "YYYY-MM-DD hh:mm:ss", hz not 10 or 20, hours, a rate, a lag or
// the trend out of bounds).
std::string CheckSampleOptions(const SampleOptions& options);

// Records the options ask for before gaps are left out: hours * 3600 * hz,
// rounded; 0 for unusable options.
std::int64_t PlannedRecordCount(const SampleOptions& options);

// The whole file as text (for small files in tests). Empty for unusable
// options.
std::string MakeRawSample(const SampleOptions& options);

// Streams the file to disk. False when it cannot be written or the options
// are unusable.
bool WriteRawSample(const std::filesystem::path& file, const SampleOptions& options);

}  // namespace kelvara::samples
