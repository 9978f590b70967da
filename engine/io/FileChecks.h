#pragma once
// What a file name names: whether it is one of the job's other files, a
// regular file that can be read, or a place a results file may go, and the
// system's words for why not.

#include <filesystem>
#include <string>

namespace kelvara {

// True when both name one existing file, however spelled (links too).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A directory opens as a stream on some platforms, so every reader asks first.
bool IsDirectory(const std::filesystem::path& file);

// A regular file, through links. Readers take nothing else: a pipe blocks
// in its open, and a device such as /dev/zero never ends.
bool IsRegularFile(const std::filesystem::path& file);

// There, but a pipe, a device or a folder: refused before any output of the
// job is created.
bool IsSpecialFile(const std::filesystem::path& file);

// A regular file that opens for reading.
bool IsReadableFile(const std::filesystem::path& file);

// An error number of this program's own, beside errno's: compressed data
// that does not decompress, or ends inside its stream.
inline constexpr int kDamagedCompression = -2001;

// The C library's wording of an errno value ("No such file or directory"),
// or this program's for kDamagedCompression.
std::string SystemErrorText(int errorNumber);

// The errno with which creating the file in place would fail, 0 if it would
// not: an output written aside and renamed over it goes only where it could
// have been written directly (no folder, no file the user may not write, no
// device, pipe or socket).
int ReasonCannotReplace(const std::filesystem::path& file);

// Why a file cannot be opened for reading, in the C library's words.
std::string ReasonCannotRead(const std::filesystem::path& file);

}  // namespace kelvara
