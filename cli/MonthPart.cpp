#include "MonthPart.h"

#include <charconv>
#include <cstdio>

namespace kelvara::cli {

namespace {

std::string TimeText(const std::optional<TimePoint>& time) { return time ? std::to_string(*time) : "none"; }

}  // namespace

bool ReadMonthText(const std::string& text, StreamMonth& month) {
    int year = 0;
    int monthOfYear = 0;
    if (text.size() != 7 || text[4] != '-') return false;
    const char* end = text.data() + text.size();
    if (std::from_chars(text.data(), text.data() + 4, year).ptr != text.data() + 4) return false;
    if (std::from_chars(text.data() + 5, end, monthOfYear).ptr != end) return false;
    if (year < 1 || monthOfYear < 1 || monthOfYear > 12) return false;
    month.year = year;
    month.month = monthOfYear;
    return true;
}

bool ReadKeptBeforeText(const std::string& text, std::optional<TimePoint>& keptBefore) {
    if (text == "none") {
        keptBefore.reset();
        return true;
    }
    TimePoint value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || ptr != end) return false;
    keptBefore = value;
    return true;
}

std::string MonthPartText(const StreamMonth& month, const MonthOutcome& outcome) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d-%02d", month.year, month.month);
    return "month " + std::string(name) + "\nfiles " + std::to_string(outcome.files) + "\nkept-before " +
           TimeText(outcome.keptBefore) + "\nlatest-good " + TimeText(outcome.latestGood) + "\n";
}

std::filesystem::path MonthPartPath(const std::filesystem::path& results) {
    std::filesystem::path part = results;
    part += ".month";
    return part;
}

}  // namespace kelvara::cli
