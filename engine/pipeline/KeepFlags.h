#pragma once
// The good records of a block: those whose seven keep-flags are all set.
// One rule for every block type, whatever its flags' storage.

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

template <class Flags>
int CountAllFlagsSet(const Flags& flag, int count) {
    int good = 0;
    for (int i = 0; i < count; ++i) good += AllFlagsSet(flag, i) ? 1 : 0;
    return good;
}

}  // namespace kelvara
