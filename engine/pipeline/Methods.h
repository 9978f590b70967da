#pragma once
// Which processing a job applies to its blocks.

namespace kelvara {

enum class Methods {
    Default,   // the results the program has always written, bit for bit
    Standard,  // the standard methods of the field, in their own results files
};

}  // namespace kelvara
