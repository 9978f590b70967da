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
            "How to find the columns of the raw files. 'detect' (the default) reads them by the names of "
            "the second header line when it names every column, else by position; 'default' reads by "
            "position whatever the header says; 'auto' always reads by the header's names (and checks "
            "the units of the third line); or a map such as "
            "U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic whose columns are "
            "header names or 1-based numbers (time= names the time stamp; default the first column)")
        ->type_name("detect|default|auto|MAP");
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
        "When the columns are read by the header's names, take the values as they are whatever units "
        "the header gives");
}

}  // namespace kelvara::cli
