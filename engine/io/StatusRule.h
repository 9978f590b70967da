#pragma once
// Which status values keep a record: a list of values and ranges such as
// "0", "0-13" or "0,1,4-7". The default, 0 to 13, is the raw format's own.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace kelvara {

// The status of a mapped record whose status field holds no number (a
// logger's NAN): no rule keeps it.
inline constexpr std::int32_t kNoStatus = std::numeric_limits<std::int32_t>::min();

class StatusRule {
public:
    static constexpr int kMaxRanges = 32;

    // 0 to 13.
    StatusRule();

    // Reads a list; false (the rule unchanged) with problem set when the
    // text is no such list.
    static bool Parse(std::string_view text, StatusRule& rule, std::string& problem);

    bool Keeps(std::int32_t status) const {
        // The usual rule is one range: a subtraction and one comparison.
        if (Offset(status, 0) <= span_[0]) return true;
        for (int i = 1; i < count_; ++i) {
            if (Offset(status, i) <= span_[i]) return true;
        }
        return false;
    }
    // 0 to 13, the raw format's own rule.
    bool IsRawFormatRule() const;
    // The list as Parse reads it back, e.g. "0-13".
    std::string Text() const;

private:
    // How far status lies above range i's start, wrapping below it.
    std::uint32_t Offset(std::int32_t status, int i) const {
        return static_cast<std::uint32_t>(status) - static_cast<std::uint32_t>(low_[i]);
    }
    void Add(std::int32_t low, std::int32_t high);

    std::int32_t low_[kMaxRanges] = {};
    std::int32_t high_[kMaxRanges] = {};
    std::uint32_t span_[kMaxRanges] = {};  // high - low
    int count_ = 0;                        // at least 1
};

}  // namespace kelvara
