#pragma once
// Block means of the seven variables and of Tc over the good records.

#include "pipeline/BlockBuffer.h"

namespace kelvara {

void ComputeMeans(BlockBuffer& block);

}  // namespace kelvara
