#include "InputFormatOptions.h"

#include <CLI/CLI.hpp>

namespace kelvara::cli {

namespace {

CLI::Validator ColumnsText() {
    return CLI::Validator(
        [](std::string& text) {
            InputFormat format;
            std::string problem;
            return ParseColumns(text, format, problem) ? std::string() : problem;
        },
        "");
}

CLI::Validator StatusList() {
    return CLI::Validator(
        [](std::string& text) {
            StatusRule rule;
            std::string problem;
            return StatusRule::Parse(text, rule, problem) ? std::string() : problem;
        },
        "");
}

}  // namespace

void AddInputFormatOptions(CLI::App& command, InputFormatTexts& texts) {
    command
        .add_option("--columns", texts.columns,
                    "Read the raw files by a column map: 'auto' takes the names of the second header line "
                    "(and checks the units of the third), or a map such as "
                    "U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic whose columns are "
                    "header names or 1-based numbers (time= names the time stamp; default the first column)")
        ->type_name("auto|MAP")
        ->check(ColumnsText());
    command
        .add_option("--good-status", texts.goodStatus,
                    "Status values that keep a record, e.g. 0 or 0,1,4-7 (default 0-13)")
        ->type_name("LIST")
        ->check(StatusList());
    command.add_flag("--no-unit-check", texts.noUnitCheck,
                     "With --columns auto, take the values as they are whatever units the header gives");
}

InputFormat InputFormatOf(const InputFormatTexts& texts) {
    InputFormat format;
    std::string problem;
    if (!texts.columns.empty()) ParseColumns(texts.columns, format, problem);
    if (!texts.goodStatus.empty()) StatusRule::Parse(texts.goodStatus, format.goodStatus, problem);
    format.checkUnits = !texts.noUnitCheck;
    return format;
}

}  // namespace kelvara::cli
