#include "shell/CommandLine.h"

#include <string_view>

#include "Version.h"

namespace kelvara::app {

namespace {

constexpr std::string_view kUsage =
    "Usage: Kelvara [FILE]\n"
    "Eddy-covariance fluxes from flux tower raw data: the desktop program.\n"
    "Starts with an empty document, or with FILE opened.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

}  // namespace

std::optional<int> AnswerInfoOption(int argc, const char* const* argv, std::ostream& out) {
    if (argc != 2) return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help") {
        out << kUsage;
    } else if (option == "--version") {
        out << "Kelvara " KELVARA_VERSION "\n";
    } else {
        return std::nullopt;
    }
    out.flush();
    return out ? 0 : 1;
}

}  // namespace kelvara::app
