#pragma once
// Every message box of the jobs and the range setting, in one catalogue:
// text, title and icon, worded as the program has always shown them.

#include <string_view>

#include "jobs/JobPort.h"

namespace kelvara {

struct JobMessage {
    std::string_view text;
    std::string_view title;
    MessageIcon icon = MessageIcon::Exclamation;
};

inline void Show(JobPort& port, const JobMessage& message) {
    port.ShowMessage(message.text, message.title, message.icon);
}

namespace messages {

// Shared by several jobs.
inline constexpr JobMessage kFinished{"Processing Finished!", "Status", MessageIcon::None};
// The titles of what a job tells beyond its seed's messages.
inline constexpr std::string_view kWarningTitle = "Warning";
inline constexpr std::string_view kNoFluxesTitle = "No Fluxes Computed";
inline constexpr JobMessage kNoPlaneCoefficients{"No b0, b1 and b2 values", "Please Input b0, b1,and b2 values!"};
inline constexpr JobMessage kNoOutputFile{"No Output File", "Please Input the Output File!"};
inline constexpr JobMessage kOutputIsInput{"Output File Is An Input File", "Please choose another output file!"};
inline constexpr JobMessage kCannotWriteOutput{"Can't Write Output File!", "Writing the output file failed!"};
// A read error is no end of file: the data after it is unknown.
inline constexpr JobMessage kCannotReadRaw{"Can't Read Raw Data File!", "Reading the raw data file failed!"};
// The standard methods read every record's date and time.
inline constexpr JobMessage kBadTimeStamp{"Can't Read Time Stamp!", "A time stamp of the raw data file does not read!"};
// The corrected fluxes need the site's heights and instruments.
inline constexpr JobMessage kNoSiteFile{"No Site File", "Please choose the site file!"};
inline constexpr JobMessage kNoSamplingFrequency{"Can't Find The Sampling Frequency!",
                                                 "The time stamps do not tell the sampling frequency!"};
// A stuck logger clock, say, would fill the memory with one half hour.
inline constexpr JobMessage kHalfHourTooLarge{"Half Hour Too Large!", "A half hour holds too many records!"};
inline constexpr JobMessage kOutOfMemory{"Out Of Memory!", "A half hour does not fit in memory!"};
// Nor of a range file: the built-in limits would give other results.
inline constexpr JobMessage kCannotReadRange{"Can't Read Range File!", "Reading the range file failed!"};

namespace single_run {
inline constexpr JobMessage kNoFirstFile{"No First File", "Please Input the First File!"};
inline constexpr JobMessage kCannotOpenOutput{"Can't Open Output File", "Can't Open Output file!"};
inline constexpr JobMessage kCannotOpenFirst{"Can't Open The First Raw Data File!", "Raw Data File Doesn't Exit!"};
inline constexpr JobMessage kCannotOpenSecond{"Can't Open The Second Raw Data File!", "Raw Data File Doesn't Exit!"};
}  // namespace single_run

namespace batch {
inline constexpr JobMessage kNoInputFile{"No Input File", "Please Input the File!"};
inline constexpr JobMessage kCannotOpenList{"Can't Open File!", "File Doesn't Exit!"};
inline constexpr JobMessage kCannotReadList{"Can't Read List File!", "Reading the list file failed!"};
inline constexpr JobMessage kCannotOpenOutput{"Can't Open Output File!", "Open Output File Failed!"};
inline constexpr JobMessage kCannotOpenRaw{"Can't Open Raw Data File!", "Raw Data File Doesn't Exit!"};
inline constexpr std::string_view kWaitNotice = "Please wait, it will take a long time!";
}  // namespace batch

namespace append {
inline constexpr JobMessage kNoHeadLines{"No File Head Lines", "Please Input the Number of File Head Lines!"};
inline constexpr JobMessage kCannotOpenInput{"Can't Open Input File!", "Input file can't be opened!"};
inline constexpr JobMessage kCannotOpenOutput{"Can't Open Output File", "Can't Open Output file!"};
inline constexpr JobMessage kCannotReadInput{"Can't Read Input File!", "Reading an input file failed!"};
}  // namespace append

namespace range_setting {
inline constexpr JobMessage kNoRangeFile{"No range initial file!", "Range initial File Doesn't Exit!"};
inline constexpr JobMessage kCannotWriteRangeFile{"Can't Open file!",
                                                  "Range initial file can't be opened!\nPlease try it again!"};
inline constexpr JobMessage kFinished{"Finished the range setting!", "Finished", MessageIcon::None};
}  // namespace range_setting

}  // namespace messages
}  // namespace kelvara
