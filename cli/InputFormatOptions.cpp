#include "InputFormatOptions.h"

#include <CLI/CLI.hpp>

namespace kelvara::cli {

void AddInputFormatOptions(CLI::App& command, InputFormat& format) {
    command
        .add_option_function<std::string>(
            "--columns",
            [&format](const std::string& text) {
                std::string problem;
                if (!ParseColumns(text, format, problem)) throw CLI::ValidationError("--columns", problem);
            },
            "Read the raw files by a column map: 'auto' takes the names of the second header line "
            "(and checks the units of the third), or a map such as "
            "U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic whose columns are "
            "header names or 1-based numbers (time= names the time stamp; default the first column)")
        ->type_name("auto|MAP");
    command
        .add_option_function<std::string>(
            "--good-status",
            [&format](const std::string& text) {
                std::string problem;
                if (!StatusRule::Parse(text, format.goodStatus, problem)) {
                    throw CLI::ValidationError("--good-status", problem);
                }
            },
            "Status values that keep a record, e.g. 0 or 0,1,4-7 (default 0-13)")
        ->type_name("LIST");
    command.add_flag_callback(
        "--no-unit-check", [&format] { format.checkUnits = false; },
        "With --columns auto, take the values as they are whatever units the header gives");
}

}  // namespace kelvara::cli
