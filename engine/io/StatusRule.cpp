#include "io/StatusRule.h"

#include <cctype>

namespace kelvara {

namespace {

constexpr std::int32_t kRawFormatLow = 0;
constexpr std::int32_t kRawFormatHigh = 13;

// [-]digits, within the 32-bit range (kNoStatus excluded).
bool ReadInteger(std::string_view text, std::size_t& at, std::int32_t& value) {
    const bool negative = at < text.size() && text[at] == '-';
    std::size_t p = negative ? at + 1 : at;
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p]))) return false;
    std::int64_t magnitude = 0;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
        magnitude = magnitude * 10 + (text[p++] - '0');
        if (magnitude > std::numeric_limits<std::int32_t>::max()) return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    at = p;
    return true;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

}  // namespace

StatusRule::StatusRule() { Add(kRawFormatLow, kRawFormatHigh); }

void StatusRule::Add(std::int32_t low, std::int32_t high) {
    low_[count_] = low;
    high_[count_] = high;
    span_[count_] = static_cast<std::uint32_t>(high) - static_cast<std::uint32_t>(low);
    ++count_;
}

bool StatusRule::Parse(std::string_view text, StatusRule& rule, std::string& problem) {
    StatusRule parsed;
    parsed.count_ = 0;
    std::size_t at = 0;
    const auto refuse = [&](const std::string& why) {
        problem = "the good-status list \"" + std::string(text) + "\" " + why +
                  " (give values and ranges such as 0, 0-13 or 0,1,4-7)";
        return false;
    };
    for (;;) {
        SkipBlanks(text, at);
        std::int32_t low = 0;
        if (!ReadInteger(text, at, low)) return refuse("needs a whole number here");
        std::int32_t high = low;
        SkipBlanks(text, at);
        if (at < text.size() && text[at] == '-') {
            ++at;
            SkipBlanks(text, at);
            if (!ReadInteger(text, at, high)) return refuse("has a range without its end");
            if (high < low) return refuse("has a range that ends below its start");
        }
        if (parsed.count_ == kMaxRanges) return refuse("has more than 32 items");
        parsed.Add(low, high);
        SkipBlanks(text, at);
        if (at == text.size()) break;
        if (text[at] != ',') return refuse("has an unexpected character");
        ++at;
    }
    rule = parsed;
    return true;
}

bool StatusRule::IsRawFormatRule() const {
    return count_ == 1 && low_[0] == kRawFormatLow && high_[0] == kRawFormatHigh;
}

std::string StatusRule::Text() const {
    std::string text;
    for (int i = 0; i < count_; ++i) {
        if (i > 0) text += ',';
        text += std::to_string(low_[i]);
        if (high_[i] != low_[i]) text += "-" + std::to_string(high_[i]);
    }
    return text;
}

}  // namespace kelvara
