#pragma once
// kelvara-cli's exit statuses, as scripts see them.

namespace kelvara::cli {

inline constexpr int kJobFinishedExitStatus = 0;
inline constexpr int kJobFailedExitStatus = 1;
inline constexpr int kUsageExitStatus = 2;
// A run or batch that finished without fluxes for any half hour: a script
// should not take its results for data.
inline constexpr int kNoFluxesExitStatus = 3;

}  // namespace kelvara::cli
