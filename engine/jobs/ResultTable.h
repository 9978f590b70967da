#pragma once
// The half hours of a job as numbers, kept in memory beside its results file
// for a caller that wants them as a table (the Python module): each half
// hour's time and the values of the file's columns after it, unrounded
// (the file's text is their rounding), NaN where the file has nothing.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corrections/CorrectedFluxes.h"
#include "io/BlockTime.h"
#include "io/FluxResultsLine.h"
#include "io/TimeStamp.h"
#include "jobs/BlockLoop.h"
#include "pipeline/FluxResult.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

struct ResultTable {
    std::vector<std::string> columns;  // the header's names after the time field(s)
    // The Time field as the file writes it (the corrected file: TIMESTAMP_END).
    std::vector<std::array<char, kBlockTimeSize>> times;
    // The standard methods' half hours, from 1970 (a half hour ends at
    // (halfHour + 1) x 1800 s); 0 for the default method's.
    std::vector<std::int64_t> halfHours;
    std::vector<double> values;  // row after row, columns.size() each

    std::size_t Rows() const { return times.size(); }
    void Clear();
    // Another job's rows after this one's (the same columns).
    void Append(const ResultTable& other);
};

// The columns of a results header after its time field(s).
std::vector<std::string> ValueColumns(std::string_view header);

// One half hour's values into the table: its results, or NaN throughout
// (result nullptr: rejected).
void AppendValues(const FluxResult* result, std::vector<double>& values);
void AppendValues(const StandardResult* result, std::vector<double>& values);
void AppendValues(const CorrectedFluxes* result, std::vector<double>& values);

// Each half hour a row of the table.
template <class Traits>
class TableSink : public HalfHourSink<Traits> {
public:
    explicit TableSink(ResultTable& table) : table_(table) {
        if (table_.columns.empty()) table_.columns = ValueColumns(Traits::kHeader);
    }
    bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result) override {
        std::array<char, kBlockTimeSize> time{};
        if constexpr (Traits::kMethods == Methods::Corrected) {
            FormatCompactTime(HalfHourEnd(read.halfHour), time.data());
        } else {
            std::copy(std::begin(read.time), std::end(read.time), time.begin());
        }
        table_.times.push_back(time);
        table_.halfHours.push_back(read.halfHour);
        AppendValues(result, table_.values);
        return true;
    }

private:
    ResultTable& table_;
};

// Every half hour to two sinks: the file's lines and the table.
template <class Traits>
class TeeSink : public HalfHourSink<Traits> {
public:
    TeeSink(HalfHourSink<Traits>& first, HalfHourSink<Traits>* second) : first_(first), second_(second) {}
    bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result) override {
        return first_.Take(read, result) && (second_ == nullptr || second_->Take(read, result));
    }

private:
    HalfHourSink<Traits>& first_;
    HalfHourSink<Traits>* second_;
};

}  // namespace kelvara
