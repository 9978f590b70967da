#pragma once
// Small builders shared by the engine tests: raw data file text, and exact
// comparison of single-precision values.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "BlockBuffer.h"

namespace kelvara::testing {

inline std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// Compares the bit patterns, so a result that is merely close fails.
#define EXPECT_SAME_FLOAT(expected, actual)                                                   \
    EXPECT_EQ(::kelvara::testing::Bits(expected), ::kelvara::testing::Bits(actual))          \
        << "expected " << static_cast<double>(expected) << " (" #expected "), got "           \
        << static_cast<double>(actual) << " (" #actual ")"

// The four header lines a logger writes before its records.
inline std::string RawHeader(const char* eol = "\r\n") {
    std::string text;
    text += std::string("\"TOA5\",\"tower\",\"CR3000\"") + eol;
    text += std::string("\"TIMESTAMP\",\"Ux\",\"Uy\",\"Uz\",\"co2\",\"h2o\",\"Ts\",\"press\",\"diag\"") + eol;
    text += std::string("\"TS\",\"m/s\",\"m/s\",\"m/s\",\"mg/m^3\",\"g/m^3\",\"C\",\"kPa\",\"unitless\"") + eol;
    text += std::string("\"\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\"") + eol;
    return text;
}

struct RawValues {
    double u = 3.0, v = 0.5, w = 0.1, co2 = 700.0, h2o = 10.0, ts = 20.0, p = 98.0;
};

// One record line: leading quote, date, blank, clock, seven comma-terminated
// values and the status.
inline std::string RawLine(const std::string& date, const std::string& clock, const RawValues& x,
                           int status = 0, const char* eol = "\r\n") {
    char text[256];
    std::snprintf(text, sizeof text, "\"%s %s\",%.4f,%.4f,%.4f,%.3f,%.4f,%.3f,%.3f,%d%s",
                  date.c_str(), clock.c_str(), x.u, x.v, x.w, x.co2, x.h2o, x.ts, x.p, status, eol);
    return text;
}

inline std::string Clock(int hour, int minute, double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%04.1f", hour, minute, seconds);
    return text;
}

// Deterministic small noise in [-1, 1).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

// count plausible records at 10 Hz from hour:minute:00.0 on, with turbulent
// fluctuations that correlate with w (u'w' < 0, w'T' > 0, w'q' > 0, w'c' < 0).
inline std::string TowerRecords(const std::string& date, int hour, int minute, int count,
                                std::uint32_t seed = 1, const char* eol = "\r\n") {
    Noise noise(seed);
    std::string text;
    for (int i = 0; i < count; ++i) {
        int tenths = i;
        int m = minute + tenths / 600;
        double s = (tenths % 600) / 10.0;
        double w = 0.3 * noise.Next();
        RawValues x;
        x.u = 3.0 - 0.5 * w + 0.4 * noise.Next();
        x.v = 0.5 + 0.4 * noise.Next();
        x.w = 0.1 + w;
        x.co2 = 700.0 - 4.0 * w + noise.Next();
        x.h2o = 10.0 + 0.5 * w + 0.1 * noise.Next();
        x.ts = 20.0 + 0.8 * w + 0.1 * noise.Next();
        x.p = 98.0 + 0.01 * noise.Next();
        text += RawLine(date, Clock(hour, m, s), x, 0, eol);
    }
    return text;
}

}  // namespace kelvara::testing
