// libFuzzer target: the standard methods over a stream of raw files. The
// input's bytes make records (time steps of a second, gaps of minutes and
// hours across midnight and days, clocks stepping back, time stamps that do
// not read) cut into up to four files, given in any order, on the command
// line or in a list. Whatever the records:
//   - no input changes, and a failed run leaves no results file;
//   - one thread and several give the same exit status and the same bytes;
//   - when the files' first time stamps put them in the order they were cut
//     in, the same records as one file give the same exit status and bytes.
// The first file holds the first 200 records (those the sampling frequency
// is found from) whenever there are that many, so that one file and the
// stream find the same frequency.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "FuzzCli.h"
#include "FuzzRawText.h"
#include "FuzzScratch.h"

namespace {

using namespace kelvara;
namespace fs = std::filesystem;

constexpr std::size_t kMaxRecords = 600;
constexpr std::size_t kFrequencyRecords = 200;
constexpr std::size_t kMaxFiles = 4;

// Days since 1970-01-01 of a civil date, and back.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string StampText(std::int64_t seconds) {
    std::int64_t z = seconds / 86400 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    const std::int64_t s = seconds % 86400;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                  static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                  static_cast<long long>(s % 60));
    return text;
}

// Time stamps that do not read, and one that does in the other form.
constexpr std::array<std::string_view, 6> kOddStamps = {"2024-06-01 24:00:00", "2024-13-01 00:00:00",  "x", "",
                                                        "2024-06-01",          "2024/06/02 00:00:00.5"};

struct Record {
    std::optional<std::int64_t> time;  // none: an odd stamp
    std::string line;
};

std::vector<Record> MakeRecords(FuzzedDataProvider& input) {
    // Just before midnight: of a leap day, of a summer day, of a year's end.
    constexpr std::array<std::int64_t, 3> kStartDays = {DaysFromCivil(2024, 2, 28), DaysFromCivil(2024, 6, 1),
                                                        DaysFromCivil(2023, 12, 31)};
    std::int64_t time = kStartDays[input.ConsumeIntegralInRange<std::size_t>(0, 2)] * 86400 + 23 * 3600 + 10 * 60;
    std::vector<Record> records(input.ConsumeIntegralInRange<std::size_t>(0, kMaxRecords));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto step = input.ConsumeIntegral<std::uint8_t>();
        const auto value = input.ConsumeIntegral<std::uint8_t>();
        std::string stamp;
        if (step < 160) {
            time += 1;
        } else if (step < 200) {
            time += (step - 159) * 30;  // a gap of minutes
        } else if (step < 240) {
            time += (step - 199) * 3600;  // of hours: midnight, days
        } else if (step < 250) {
            time -= (step - 239) * 20;  // the clock steps back
        }
        if (step >= 250) {
            stamp = kOddStamps[step - 250];
        } else {
            stamp = StampText(time);
            records[i].time = time;
        }
        char values[160];
        std::snprintf(values, sizeof values, ",%.2f,%.2f,%.2f,%d.%d,%.1f,%.2f,98,%d\r\n", 1.5 + 0.1 * (value % 7),
                      0.3 - 0.05 * (value % 5), 0.1 * (value % 9) - 0.4, 690 + value % 13, value % 10,
                      10.0 + 0.5 * (value % 3), 20.0 + 0.25 * (value % 4), value >= 250 ? value - 230 : 0);
        records[i].line = "\"" + stamp + "\"" + values;
    }
    return records;
}

struct Outcome {
    int exitStatus;
    std::optional<std::string> results;
    std::string shown;
};

const fuzz::ScratchFolder& Scratch() {
    static const fuzz::ScratchFolder scratch("standard-stream");
    return scratch;
}

Outcome RunStandard(std::vector<std::string> arguments, const std::string& output, std::string_view suffix) {
    arguments.insert(arguments.begin(), {"kelvara-cli", "-q", "run", "--standard", "-o", output});
    const fuzz::CliRun run = fuzz::RunCli(arguments);
    fuzz::Expect(!run.parseStatus, "the command line did not parse", run.shown);
    return {run.exitStatus, fuzz::ReadFile(Scratch() / (output + std::string(suffix))), run.shown};
}

std::string Outcomes(const Outcome& a, const Outcome& b) {
    return "exit " + std::to_string(a.exitStatus) + " and " + std::to_string(b.exitStatus) + "; shown:\n" +
           fuzz::Escaped(a.shown, 2000) + "\nand\n" + fuzz::Escaped(b.shown, 2000);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareCli(Scratch().Path());  // no range.ini there: the built-in limits
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchFolder& scratch = Scratch();
    FuzzedDataProvider input(data, size);
    const std::size_t fileCount = input.ConsumeIntegralInRange<std::size_t>(1, kMaxFiles);
    const std::size_t rotate = input.ConsumeIntegralInRange<std::size_t>(0, kMaxFiles - 1);
    const int threads = input.ConsumeIntegralInRange<int>(2, 4);
    const bool viaList = input.ConsumeBool();
    const bool planarFit = input.ConsumeBool();
    std::array<std::uint8_t, kMaxFiles> cutBytes{};
    for (std::uint8_t& cut : cutBytes) cut = input.ConsumeIntegral<std::uint8_t>();
    const std::vector<Record> records = MakeRecords(input);

    // The files' first records: the first file's are the frequency's.
    std::vector<std::size_t> starts{0};
    const std::size_t rest = records.size() > kFrequencyRecords ? records.size() - kFrequencyRecords : 0;
    for (std::size_t f = 1; f < fileCount; ++f) {
        starts.push_back(std::min(records.size(), kFrequencyRecords + cutBytes[f] * rest / 256));
    }
    std::sort(starts.begin(), starts.end());
    starts.push_back(records.size());

    scratch.Clear();
    std::string whole(fuzz::kRawHeader);
    std::vector<std::string> names;
    std::optional<std::int64_t> lastFirst;
    bool cutOrder = true;  // the first time stamps order the files as cut
    for (std::size_t f = 0; f < fileCount; ++f) {
        std::string text(fuzz::kRawHeader);
        for (std::size_t r = starts[f]; r < starts[f + 1]; ++r) text += records[r].line;
        whole += text.substr(fuzz::kRawHeader.size());
        names.push_back("s" + std::to_string(f) + ".dat");
        fuzz::WriteFile(scratch / names.back(), text);
        if (starts[f] == starts[f + 1]) continue;  // no records: read last
        const auto first = records[starts[f]].time;
        if (!first || (lastFirst && *first <= *lastFirst)) cutOrder = false;
        lastFirst = first;
    }
    if (starts[0] == starts[1]) cutOrder = fileCount == 1 || records.empty();
    fuzz::WriteFile(scratch / "whole.dat", whole);
    std::rotate(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(rotate % fileCount), names.end());
    std::vector<std::string> given = names;
    if (viaList) {
        std::string list;
        for (const std::string& name : names) list += name + "\n";
        fuzz::WriteFile(scratch / "list.txt", list);
        given = {"--list", "list.txt"};
    }
    std::vector<std::string> plane;
    if (planarFit) plane = {"--planar-fit", "0.01", "0.02", "-0.03"};
    const std::string_view suffix = planarFit ? ".sfw" : ".s1w";
    const auto before = fuzz::Snapshot(scratch.Path());

    Outcome oneThread, threaded, oneFile;
    {
        const fuzz::WorkingFolder inScratch(scratch.Path());
        auto arguments = given;
        arguments.insert(arguments.end(), plane.begin(), plane.end());
        auto withJobs = [&arguments](int jobs) {
            auto all = arguments;
            all.insert(all.end(), {"-j", std::to_string(jobs)});
            return all;
        };
        oneThread = RunStandard(withJobs(1), "one-thread", suffix);
        threaded = RunStandard(withJobs(threads), "threaded", suffix);
        std::vector<std::string> wholeArguments{"whole.dat"};
        wholeArguments.insert(wholeArguments.end(), plane.begin(), plane.end());
        oneFile = RunStandard(wholeArguments, "one-file", suffix);
    }

    auto after = fuzz::Snapshot(scratch.Path());
    for (const char* output : {"one-thread", "threaded", "one-file"}) after.erase(output + std::string(suffix));
    fuzz::Expect(after == before, "a standard run changed its inputs or left another file");
    for (const Outcome* outcome : {&oneThread, &threaded, &oneFile}) {
        fuzz::Expect(outcome->exitStatus != cli::kJobFailedExitStatus || !outcome->results,
                     "a failed standard run left a results file", fuzz::Escaped(outcome->shown, 2000));
        fuzz::Expect(outcome->exitStatus != cli::kJobFinishedExitStatus || outcome->results,
                     "a finished standard run wrote no results file", fuzz::Escaped(outcome->shown, 2000));
    }
    fuzz::Expect(oneThread.exitStatus == threaded.exitStatus && oneThread.results == threaded.results,
                 "the standard results change with the number of threads",
                 std::to_string(threads) + " threads; " + Outcomes(oneThread, threaded));
    if (cutOrder) {
        fuzz::Expect(oneThread.exitStatus == oneFile.exitStatus && oneThread.results == oneFile.results,
                     "a stream of files and the same records as one file give other results",
                     std::to_string(fileCount) + " files; " + Outcomes(oneThread, oneFile));
    }
    return 0;
}
