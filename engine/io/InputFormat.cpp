#include "io/InputFormat.h"

#include <cctype>

namespace kelvara {

namespace {

constexpr std::string_view kTargetNames[kMapTargetCount] = {"time", "U", "V", "W", "CO2", "H2O", "Ts", "P", "status"};

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

int TargetNamed(std::string_view name) {
    for (int target = 0; target < kMapTargetCount; ++target) {
        if (SameLetters(name, kTargetNames[target])) return target;
    }
    return -1;
}

bool ParseMap(std::string_view text, InputFormat& format, std::string& problem) {
    std::array<std::string, kMapTargetCount> map;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string_view item = Trimmed(text.substr(at, comma - at));
        at = comma + 1;
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            problem = "the column map item \"" + std::string(item) + "\" is not TARGET=COLUMN";
            return false;
        }
        const std::string_view name = Trimmed(item.substr(0, equals));
        const std::string_view column = Trimmed(item.substr(equals + 1));
        const int target = TargetNamed(name);
        if (target < 0) {
            problem = "the column map names \"" + std::string(name) +
                      "\", which is none of time, U, V, W, CO2, H2O, Ts, P, status";
            return false;
        }
        if (column.empty()) {
            problem = "the column map gives no column for " + std::string(kTargetNames[target]);
            return false;
        }
        if (!map[static_cast<std::size_t>(target)].empty()) {
            problem = "the column map gives " + std::string(kTargetNames[target]) + " twice";
            return false;
        }
        map[static_cast<std::size_t>(target)] = std::string(column);
    }
    std::string missing;
    for (int target = kMapU; target < kMapTargetCount; ++target) {
        if (map[static_cast<std::size_t>(target)].empty())
            missing += (missing.empty() ? "" : ", ") + std::string(kTargetNames[target]);
    }
    if (!missing.empty()) {
        problem = "the column map lacks " + missing;
        return false;
    }
    // One column read as two variables would give one of them the other's values.
    for (int a = 0; a < kMapTargetCount; ++a) {
        for (int b = a + 1; b < kMapTargetCount; ++b) {
            const std::string& column = map[static_cast<std::size_t>(a)];
            if (column.empty() || !SameLetters(column, map[static_cast<std::size_t>(b)])) continue;
            problem = "the column map gives " + std::string(kTargetNames[a]) + " and " + std::string(kTargetNames[b]) +
                      " the same column " + column;
            return false;
        }
    }
    format.source = ColumnSource::Map;
    format.map = map;
    return true;
}

}  // namespace

std::string_view MapTargetName(int target) { return kTargetNames[target]; }

bool ParseColumns(std::string_view text, InputFormat& format, std::string& problem) {
    const std::string_view trimmed = Trimmed(text);
    if (SameLetters(trimmed, "default")) {
        format.source = ColumnSource::Positions;
        format.map = {};
        return true;
    }
    if (SameLetters(trimmed, "auto")) {
        format.source = ColumnSource::Auto;
        format.map = {};
        return true;
    }
    if (SameLetters(trimmed, "detect")) {
        format.source = ColumnSource::Detect;
        format.map = {};
        return true;
    }
    return ParseMap(trimmed, format, problem);
}

std::string ColumnsText(const InputFormat& format) {
    if (format.source == ColumnSource::Positions) return "default";
    if (format.source == ColumnSource::Auto) return "auto";
    if (format.source == ColumnSource::Detect) return "detect";
    std::string text;
    for (int target = 0; target < kMapTargetCount; ++target) {
        if (format.map[static_cast<std::size_t>(target)].empty()) continue;
        if (!text.empty()) text += ',';
        text += std::string(kTargetNames[target]) + "=" + format.map[static_cast<std::size_t>(target)];
    }
    return text;
}

}  // namespace kelvara
