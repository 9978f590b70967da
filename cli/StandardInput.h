#pragma once
// "-" as a raw file of `run`: standard input, copied whole into a temporary
// file first, since a run reads its files more than once (the header for the
// columns, the time stamps for the stream's order, a line again for a
// message). The copy goes when the run is over.

#include <filesystem>
#include <string>
#include <vector>

namespace kelvara::cli {

inline constexpr std::string_view kStandardInputName = "-";

class StandardInputCopy {
public:
    StandardInputCopy() = default;
    ~StandardInputCopy();
    StandardInputCopy(const StandardInputCopy&) = delete;
    StandardInputCopy& operator=(const StandardInputCopy&) = delete;

    // Puts the copy in place of the "-" among files (at most one: standard
    // input reads once). False, with problem set, when it cannot be made.
    bool Replace(std::vector<std::string>& files, std::string& problem);

    // The copy's name, empty when none was made.
    const std::string& Name() const { return name_; }

private:
    std::filesystem::path path_;
    std::string name_;
};

}  // namespace kelvara::cli
