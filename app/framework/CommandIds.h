#pragma once
// Command numbers of the main window and the one place that turns them into
// wx ids. wx refuses menu ids of 32767 and above, so every command number is
// moved down by the same offset; menu, toolbar and accelerators all use the
// mapped ids.

namespace kelvara::app {

inline constexpr int ID_BATCH_PROCESS = 32771;
inline constexpr int ID_EC_DATA_PROCESS = 32773;
inline constexpr int ID_RANGE_SETTING = 32774;
inline constexpr int ID_DATA_APPEND = 32775;
inline constexpr int ID_MERGE_DATA = 32776;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;

inline constexpr int kCommandIdOffset = 30000;

// 32771 -> 2771 ... 57665 -> 27665: clear of wx's stock ids (5000-5999),
// of the dialog control numbers (1 to 1038) and of the 32767 limit.
constexpr int ToWxId(int command) { return command - kCommandIdOffset; }
constexpr int FromWxId(int wxId) { return wxId + kCommandIdOffset; }

}  // namespace kelvara::app
