#pragma once
// Small raw data texts for the targets that run whole jobs.

#include <string>
#include <string_view>

namespace kelvara::fuzz {

// Four header lines, as a logger writes them (and no '/' in them, so that a
// job that reads one as a list of names never leaves the scratch folder).
inline constexpr std::string_view kRawHeader = "TOA5,tower\r\nTIMESTAMP,U,V,W,CO2,H2O,Ts,P,diag\r\nTS,ms\r\n,Smp\r\n";

// Records from hour:firstMinute on, one a minute, with values that vary
// enough for every block statistic.
inline std::string TowerRecords(int hour, int firstMinute, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int minute = firstMinute + i;
        text += "\"2024-06-01 " + std::to_string(hour + minute / 60) + ":" + std::to_string(minute % 60) + ":00\"," +
                std::to_string(1.5 + 0.1 * (i % 4)) + "," + std::to_string(0.3 - 0.05 * (i % 3)) + "," +
                std::to_string(0.1 * (i % 5) - 0.2) + ",700." + std::to_string(i) + ",10." + std::to_string(i % 7) +
                ",20." + std::to_string(i % 3) + ",98,0\r\n";
    }
    return text;
}

}  // namespace kelvara::fuzz
