#pragma once
// A good record of a block: all seven of its keep-flags set. One rule for
// every block type, whatever its flags' storage.

#include "pipeline/Variable.h"

namespace kelvara {

// flag[variable][record], as both block types index their flags.
template <class Flags>
bool AllFlagsSet(const Flags& flag, int record) {
    for (int v = 0; v < kVariableCount; ++v) {
        if (flag[v][record] == 0) return false;
    }
    return true;
}

}  // namespace kelvara
