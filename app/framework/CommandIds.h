#pragma once
// The one place that turns command numbers (res/ResourceIds.h) into wx ids.
// wx refuses menu ids of 32767 and above, so every command number is moved
// down by the same offset; menu, toolbar and accelerators all use the mapped
// ids.

#include "ResourceIds.h"

namespace kelvara::app {

inline constexpr int kCommandIdOffset = 30000;

// 32771 -> 2771 ... 57665 -> 27665: clear of wx's stock ids (5000-5999),
// of the dialog control numbers (1 to 1038) and of the 32767 limit.
constexpr int ToWxId(int command) { return command - kCommandIdOffset; }
constexpr int FromWxId(int wxId) { return wxId + kCommandIdOffset; }

}  // namespace kelvara::app
