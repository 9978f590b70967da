#pragma once
// Ending on SIGINT, SIGTERM or SIGHUP: the results being written are a
// temporary, which is removed, so an interrupted run never leaves a file
// that looks finished. The program says which file it did not write and
// exits with 128 + the signal number, as shells expect.

namespace kelvara::cli {

void EndCleanlyOnInterruption();

}  // namespace kelvara::cli
