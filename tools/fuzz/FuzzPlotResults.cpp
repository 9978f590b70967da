// libFuzzer target: the results reader of kelvara-cli plot. The input's
// bytes make a results file of either kind (half hours in any order, across
// midnight, rejected ones, empty fields, either line end), then may change
// a few of its bytes. Whatever the bytes:
//   - a file as written reads back as written: every half hour's end time
//     (the default kind's "0:0" being the next day's midnight) and the drawn
//     columns exactly, in time order;
//   - a changed file reads or is refused with a sentence; what reads is in
//     time order with every time a real one, and no more rows than lines.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "ResultsTable.h"
#include "io/ResultsFile.h"

namespace {

using namespace kelvara;
using plot::HalfHourRow;
using plot::ResultsKind;

constexpr std::size_t kMaxRows = 60;

double Value(std::uint8_t byte) { return (static_cast<int>(byte) - 128) * 0.173; }

bool SameRows(const std::vector<HalfHourRow>& a, const std::vector<HalfHourRow>& b) {
    const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](const HalfHourRow& x, const HalfHourRow& y) {
        return bits(x.time) == bits(y.time) && bits(x.ustar) == bits(y.ustar) && bits(x.h) == bits(y.h) &&
               bits(x.le) == bits(y.le) && bits(x.fc) == bits(y.fc) && bits(x.records) == bits(y.records) &&
               x.rejected == y.rejected;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFolder scratch("plot-results");
    FuzzedDataProvider input(data, size);
    const auto kind = input.ConsumeBool() ? ResultsKind::Standard : ResultsKind::Default;
    const std::string end = input.ConsumeBool() ? "\r\n" : "\n";
    std::string text = std::string(kind == ResultsKind::Standard ? kStandardResultsHeader : kResultsHeader) + end;
    std::vector<HalfHourRow> expected;
    const std::size_t rows = input.ConsumeIntegralInRange<std::size_t>(0, kMaxRows);
    for (std::size_t r = 0; r < rows && input.remaining_bytes() > 0; ++r) {
        // A half hour of 2023-12-30 to 2024-01-07 (the 0:0 of the last day
        // is the only one the default kind moves out of it).
        const int day = input.ConsumeIntegralInRange<int>(0, 8);
        const int halfHour = input.ConsumeIntegralInRange<int>(0, 47);
        const int year = day < 2 ? 2023 : 2024, dayOfMonth = day < 2 ? 30 + day : day - 1;
        const int month = day < 2 ? 12 : 1;
        char stamp[40];
        std::snprintf(stamp, sizeof stamp, "%d-%02d-%02d %d:%d", year, month, dayOfMonth, halfHour / 2,
                      halfHour % 2 * 30);
        // Days since 1970 of 2023-12-30.
        constexpr double kFirstDay = 19721;
        double time = (kFirstDay + day) * 86400.0 + halfHour * 1800.0;
        if (kind == ResultsKind::Default && halfHour == 0) time += 86400.0;

        const auto shape = input.ConsumeIntegral<std::uint8_t>();
        std::string line = stamp;
        HalfHourRow row{time, 0, 0, 0, 0, 0, shape < 16};
        double* drawn[17] = {};
        drawn[1] = &row.ustar, drawn[11] = &row.h, drawn[14] = &row.le, drawn[15] = &row.fc, drawn[16] = &row.records;
        bool anyValue = false;
        for (int field = 1; field < 17; ++field) {
            const auto byte = input.ConsumeIntegral<std::uint8_t>();
            // A rejected half hour has every field empty; any field may be.
            const bool empty = row.rejected || byte < 8;
            anyValue = anyValue || !empty;
            double value = std::nan("");
            char number[40] = "";
            if (!empty) {
                value = field == 16 ? byte : Value(byte);
                std::snprintf(number, sizeof number, "%.17g", value);
            }
            line += std::string(",") + number;
            if (drawn[field] != nullptr) *drawn[field] = value;
        }
        row.rejected = !anyValue;  // a line of empty fields reads as a rejected half hour
        text += line + end;
        expected.push_back(row);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const HalfHourRow& a, const HalfHourRow& b) { return a.time < b.time; });

    // Up to four bytes changed, anywhere.
    const std::size_t changes = input.ConsumeIntegralInRange<std::size_t>(0, 4);
    std::string changed = text;
    for (std::size_t i = 0; i < changes && !changed.empty(); ++i) {
        const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, changed.size() - 1);
        changed[at] = static_cast<char>(input.ConsumeIntegral<std::uint8_t>());
    }

    const auto file = scratch / "results.r1w";
    fuzz::WriteFile(file, changed);
    const auto read = plot::ReadResultsTable(file);
    if (changed == text) {
        const auto* table = std::get_if<plot::ResultsTable>(&read);
        fuzz::Expect(table != nullptr, "a results file as written is refused",
                     (table ? "" : std::get<std::string>(read)) + ": " + fuzz::Escaped(text, 1000));
        fuzz::Expect(table->kind == kind && SameRows(table->rows, expected), "a results file reads otherwise",
                     fuzz::Escaped(text, 3000));
        return 0;
    }
    if (const auto* reason = std::get_if<std::string>(&read)) {
        fuzz::Expect(!reason->empty() && reason->find('\n') == std::string::npos, "a refusal is no sentence",
                     fuzz::Escaped(changed, 1000));
        return 0;
    }
    const auto& table = std::get<plot::ResultsTable>(read);
    const auto lines = static_cast<std::size_t>(std::count(changed.begin(), changed.end(), '\n')) + 1;
    fuzz::Expect(table.rows.size() < lines, "more half hours than results lines", fuzz::Escaped(changed, 1000));
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        fuzz::Expect(std::isfinite(table.rows[i].time) && (i == 0 || table.rows[i - 1].time <= table.rows[i].time),
                     "the half hours read are not real times in order", fuzz::Escaped(changed, 1000));
    }
    return 0;
}
