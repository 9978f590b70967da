#include "io/FileNames.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace kelvara {

std::filesystem::path PathFromText(std::string_view text) {
#ifdef _WIN32
    // Texts are UTF-8; Windows paths are wide.
    std::u8string utf8(text.begin(), text.end());
    return std::filesystem::path(utf8);
#else
    return std::filesystem::path(std::string(text));
#endif
}

namespace {

std::FILE* OpenPlainFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file.c_str(), wideMode.c_str());
#else
    return std::fopen(file.c_str(), mode);
#endif
}

std::atomic<StreamOpener> streamOpener{OpenPlainFile};

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& file, const char* mode) { return streamOpener.load()(file, mode); }

StreamOpener SetStreamOpener(StreamOpener opener) {
    return streamOpener.exchange(opener != nullptr ? opener : OpenPlainFile);
}

}  // namespace kelvara
