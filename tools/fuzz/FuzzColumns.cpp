// libFuzzer target: the column map and the status list as typed, a logger
// table's header lines and records. Whatever the bytes:
//   - a columns text or status list that reads, read back from its own
//     text, gives the same map and keeps the same statuses;
//   - a resolved layout names only columns within the limit, its last
//     column the highest of them, and is described;
//   - a refusal is a sentence;
//   - each record line parses without reading outside it, and a mapped
//     value is exactly atof's of its field, converted and rounded once.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "io/ColumnLayout.h"
#include "io/HeaderFields.h"
#include "io/InputFormat.h"
#include "io/MappedRecord.h"
#include "io/NumberText.h"
#include "io/StatusRule.h"

namespace {

using namespace kelvara;

void CheckColumnsText(const std::string& text) {
    InputFormat format;
    std::string problem;
    if (!ParseColumns(text, format, problem)) {
        fuzz::Expect(!problem.empty(), "a refused columns text gives no reason", fuzz::Escaped(text));
        return;
    }
    InputFormat again;
    fuzz::Expect(ParseColumns(ColumnsText(format), again, problem), "a columns text does not read back",
                 fuzz::Escaped(text));
    fuzz::Expect(again.source == format.source && again.map == format.map, "a columns text reads back otherwise",
                 fuzz::Escaped(text));
}

void CheckStatusList(const std::string& text, FuzzedDataProvider& data) {
    StatusRule rule;
    std::string problem;
    if (!StatusRule::Parse(text, rule, problem)) return;
    StatusRule again;
    fuzz::Expect(StatusRule::Parse(rule.Text(), again, problem), "a status list does not read back",
                 fuzz::Escaped(text));
    for (int i = 0; i < 8; ++i) {
        const auto status = data.ConsumeIntegral<std::int32_t>();
        fuzz::Expect(rule.Keeps(status) == again.Keeps(status), "a status list reads back otherwise",
                     fuzz::Escaped(text));
    }
}

// The field of the line the layout maps to a column, as the record reader
// splits it: a quoted text (after any blanks; a doubled quote inside it is
// part of it) may hold commas.
std::string_view FieldOf(std::string_view line, int column) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t at = 0;
    for (int i = 0;; ++i) {
        const std::size_t start = at;
        const std::size_t text = std::min(line.find_first_not_of(" \t", at), line.size());
        if (text < line.size() && line[text] == '"') {
            at = text + 1;
            while (at < line.size()) {
                const std::size_t quote = line.find('"', at);
                if (quote == std::string_view::npos) {
                    at = line.size();
                } else if (quote + 1 < line.size() && line[quote + 1] == '"') {
                    at = quote + 2;
                    continue;
                } else {
                    at = quote + 1;
                }
                break;
            }
        }
        at = std::min(line.find(',', at), line.size());
        if (i == column) return line.substr(start, at - start);
        if (at == line.size()) return {};
        ++at;
    }
}

void CheckRecords(const ColumnLayout& layout, const std::vector<std::string>& lines) {
    RawRecord record;
    for (const std::string& line : lines) {
        if (!ParseMappedLine(line.data(), line.data() + line.size(), layout, record)) continue;
        for (int v = 0; v < kVariableCount; ++v) {
            const std::string_view field = FieldOf(line, layout.column[MapTargetOfVariable(v)]);
            const double value = AtofText(field.substr(0, kValueWidth));
            const float expected = static_cast<float>(Convert(layout.conversion[v], value));
            const bool same =
                expected == record.value[v] || (expected != expected && record.value[v] != record.value[v]);
            fuzz::Expect(same, "a mapped value is not atof's of its field", fuzz::Escaped(line));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string columns = data.ConsumeRandomLengthString(200);
    const std::string statusList = data.ConsumeRandomLengthString(60);
    CheckColumnsText(columns);
    CheckStatusList(statusList, data);

    std::vector<std::string> header;
    for (int line = 0; line < kHeaderLineCount; ++line) header.push_back(data.ConsumeRandomLengthString(400));
    std::vector<std::string> records;
    while (data.remaining_bytes() > 0 && records.size() < 16) records.push_back(data.ConsumeRandomLengthString(300));

    InputFormat format;
    std::string problem;
    if (!ParseColumns(columns, format, problem)) format.source = ColumnSource::Auto;
    format.checkUnits = (size & 1) == 0;
    ColumnLayout layout;
    std::string description;
    if (!ResolveColumns(format, header, layout, description, problem)) {
        fuzz::Expect(!problem.empty(), "a refused header gives no reason", fuzz::Escaped(header[1]));
        return 0;
    }
    // Detection alone may leave a file to the default layout.
    fuzz::Expect(layout.mapped == !format.ReadsByPosition() || format.source == ColumnSource::Detect,
                 "the layout is mapped otherwise than asked");
    if (!layout.mapped) return 0;
    fuzz::Expect(!description.empty(), "a mapped layout is not described");
    int last = 0;
    for (const int column : layout.column) {
        fuzz::Expect(column >= 0 && column < kMaxMappedColumns, "a mapped column lies outside the limit");
        last = std::max(last, column);
    }
    fuzz::Expect(last == layout.lastColumn, "the last mapped column is not the highest");
    CheckRecords(layout, records);
    return 0;
}
