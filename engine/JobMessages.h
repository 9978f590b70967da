#pragma once
// Message boxes shared by more than one job: text, title and icon.

#include <string_view>

#include "JobPort.h"

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

inline constexpr JobMessage kFinished{"Processing Finished!", "Status", MessageIcon::None};
inline constexpr JobMessage kNoPlaneCoefficients{"No b0, b1 and b2 values",
                                                 "Please Input b0, b1,and b2 values!"};
inline constexpr JobMessage kNoOutputFile{"No Output File", "Please Input the Output File!"};
inline constexpr JobMessage kOutputIsInput{"Output File Is An Input File",
                                           "Please choose another output file!"};
inline constexpr JobMessage kCannotWriteOutput{"Can't Write Output File!",
                                               "Writing the output file failed!"};

}  // namespace messages
}  // namespace kelvara
