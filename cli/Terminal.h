#pragma once
// Whether a stream is shown on a terminal, so live progress makes sense there.

#include <cstdio>

namespace kelvara::cli {

bool IsTerminal(std::FILE* stream);

}  // namespace kelvara::cli
