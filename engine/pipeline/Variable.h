#pragma once
// The seven measured variables, in the raw file's column order.

namespace kelvara {

// Unscoped on purpose: a variable is also the index of its column in a block.
enum Variable : int { kU, kV, kW, kCO2, kH2O, kTs, kP, kVariableCount };

}  // namespace kelvara
