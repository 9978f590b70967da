#pragma once
// Which processing a job applies to its blocks.

namespace kelvara {

enum class Methods {
    Default,    // the results the program has always written, bit for bit
    Standard,   // the standard methods of the field, in their own results files
    Corrected,  // the standard methods corrected and flagged from a site file
};

// The standard methods and their corrected form read calendar-true half
// hours of a stream of files.
constexpr bool ReadsStreams(Methods methods) { return methods != Methods::Default; }

}  // namespace kelvara
